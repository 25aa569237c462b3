#pragma once
// Hands the user's "OGG Configuration" to the Vorbis encoder of the Ogg recording chain.
// Runs on the user-interface thread while the graph is stopped.

#include "platform/media/Graph.h"

class SettingsStore;

// Reads the encoder's output format through its first output pin's IAMStreamConfig, writes
// the bitrates (bits per second), the quality (the stored slider position 0-100 scaled to
// -0.1..1.0 when quality-based, else -1, which selects bitrate management) and the current
// device's channels and rate into it, and sets it back. E_NOINTERFACE when the encoder has
// no configurable output; otherwise the result of SetFormat.
HRESULT PushVorbisSettings(IBaseFilter* encoder, SettingsStore& settings);
