#pragma once
// Walks a raw MPEG audio Layer III file frame by frame, as the MP3 recordings are written:
// frames back to back from the first byte to the last, no tags, one sample rate throughout.

#include <cstdint>
#include <cstdio>
#include <string>

#include "filters/MpegAudioFrameHeader.h"
#include "platform/media/HResult.h"

struct MpegAudioStreamSummary {
  MpegAudioFrameHeader first;  // the first frame's header
  uint64_t frames = 0;
  uint64_t sampleFrames = 0;  // decoded samples per channel, encoder delay and padding included
  uint64_t bytes = 0;         // the frames' length, which is the whole file's
  bool variableBitrate = false;
  double Seconds() const { return static_cast<double>(sampleFrames) / first.sampleRateHz; }
};

// Reads the open file from its current position to its end; `path` names it in messages.
// VFW_E_INVALID_FILE_FORMAT with a readable text (SetErrorInfo) when the file is empty, when
// bytes that are not a frame appear, when the sample rate or MPEG version changes, or when
// the last frame is cut off; E_FAIL with the system's text when reading fails.
HRESULT ReadMpegAudioStream(std::FILE* file, const std::string& path, MpegAudioStreamSummary* summary);
