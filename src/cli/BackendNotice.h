#pragma once
// What corvox tells the user about the audio backend: the line that names it (before the
// listings of devices and mixers), and the notice on standard error when the backend in use
// is not the one asked for, or cannot record.

#include <string>

// "audio backend: <name>".
std::string BackendLine(const std::string& backendName);

// `requested` is what --audio or CORVOX_AUDIO asked for (empty: the default). Empty when there
// is nothing to say.
std::string BackendNotice(const std::string& requested, const std::string& backendName, bool hasCaptureDevices);
