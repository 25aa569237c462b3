#pragma once
// What an ASF file holds, as FFmpeg reads it: its first audio stream's codec, rate, channels,
// bitrate and language, and the file's duration.

#include <cstdint>
#include <string>

#include "platform/media/HResult.h"

struct AsfFileSummary {
  std::string codecName;  // FFmpeg's ("wmav2")
  uint32_t rateHz = 0;
  uint16_t channels = 0;
  uint32_t bitsPerSecond = 0;
  std::string language;  // as FFmpeg reports it (ISO 639-2, "eng"); empty when none
  double seconds = 0;
};

// VFW_E_INVALID_FILE_FORMAT (with a text) for a file that is not ASF with an audio stream.
HRESULT ReadAsfFileSummary(const std::string& path, AsfFileSummary* summary);
