#pragma once
// Reading the sound server's sources. Both need the connection's lock, and never run on its
// event thread.

#include <pulse/introspect.h>

#include <vector>

#include "platform/audio/pulse/PulseConnection.h"
#include "platform/audio/pulse/PulseSource.h"

// The sources in the server's order, the monitors of outputs after the others.
HRESULT ListPulseSources(const PulseConnection& connection, std::vector<PulseSource>* sources);

// The source named `name` as it is now; VFW_E_NOT_FOUND with a text when it is gone.
HRESULT ReadPulseSource(const PulseConnection& connection, const std::string& name, PulseSource* source);

// Copies the server's description of a source.
PulseSource ToPulseSource(const pa_source_info& info);
