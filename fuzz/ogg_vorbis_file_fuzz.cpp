// Feeds arbitrary bytes to the check of finished Ogg Vorbis recordings through an in-memory file.

#include <cstdio>

#include "filters/OggVorbisFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  OggVorbisFileSummary summary;
  if (SUCCEEDED(ReadOggVorbisFile(file, "fuzz.ogg", &summary))) {
    if (summary.pages == 0 || summary.channels == 0 || summary.rateHz == 0 || summary.lastGranule < 0) __builtin_trap();
  }
  std::fclose(file);
  return 0;
}
