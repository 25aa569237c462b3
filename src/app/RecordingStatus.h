#pragma once
// The status line while recording: "Recording WMA audio" (MP3, Ogg, WAV by the export format),
// with the dropouts of the recording so far when there are any.

#include <cstdint>
#include <string>

std::string RecordingStatusText(int exportFormat, uint64_t dropouts);
