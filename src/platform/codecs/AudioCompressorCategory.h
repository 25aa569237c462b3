#pragma once
// The audio compressor category of the system device enumerator: the compressors whose FFmpeg
// encoder works on this system, in a fixed order, each listed under its name as "Description"
// and "FriendlyName"; binding one creates a fresh CAudioCompressorFilter.
//
// Threads: register once at start-up, before any graph is built.

#include <vector>

#include "platform/codecs/AudioCompressorDescription.h"

void RegisterAudioCompressors();

// The compressors the category lists, in its order.
std::vector<const AudioCompressorDescription*> AvailableAudioCompressors();
