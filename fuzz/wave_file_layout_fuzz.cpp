// Feeds arbitrary bytes to the RIFF/WAVE layout reader through an in-memory file.

#include <cstdio>

#include "platform/media/WaveFileLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  WaveFileLayout layout;
  if (SUCCEEDED(ReadWaveFileLayout(file, "fuzz.wav", &layout))) {
    if (layout.dataOffset + layout.dataBytes > size || layout.dataBytes > layout.declaredDataBytes) __builtin_trap();
  }
  std::fclose(file);
  return 0;
}
