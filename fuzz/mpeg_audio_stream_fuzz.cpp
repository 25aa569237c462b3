// Walks arbitrary bytes as a raw MPEG audio file through an in-memory file and checks what the
// reader promises: a success counts whole frames that together fill the input exactly.

#include <cstdio>

#include "filters/MpegAudioStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  MpegAudioStreamSummary summary;
  if (SUCCEEDED(ReadMpegAudioStream(file, "fuzz.mp3", &summary))) {
    if (summary.frames == 0 || summary.first.sampleRateHz == 0) __builtin_trap();
    if (summary.sampleFrames != summary.frames * static_cast<uint64_t>(summary.first.SamplesPerFrame()))
      __builtin_trap();
    if (summary.bytes != size) __builtin_trap();
  }
  std::fclose(file);
  return 0;
}
