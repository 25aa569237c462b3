#pragma once
// Checks an Ogg Vorbis file as the recorder writes it: Ogg pages back to back from the first
// byte to the last, each with a sound checksum, the first page opening a stream with a Vorbis
// identification header, that stream's pages numbered without gaps, its granule positions
// never going back, and its last page ending the stream. Other streams may be interleaved.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/media/HResult.h"

struct OggVorbisFileSummary {
  uint32_t serial = 0;  // of the Vorbis stream
  int channels = 0;
  uint32_t rateHz = 0;
  uint64_t pages = 0;       // of the Vorbis stream
  int64_t lastGranule = 0;  // sample frames in the stream
  double Seconds() const { return rateHz ? static_cast<double>(lastGranule) / rateHz : 0.0; }
};

// Reads the open file from its current position to its end; `path` names it in messages.
// VFW_E_INVALID_FILE_FORMAT with a readable text (SetErrorInfo) when it is not such a file;
// E_FAIL with the system's text when reading fails.
HRESULT ReadOggVorbisFile(std::FILE* file, const std::string& path, OggVorbisFileSummary* summary);
