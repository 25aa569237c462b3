// Feeds arbitrary bytes to the dump file reader through an in-memory file.

#include <cmath>
#include <cstdio>

#include "waveform/LoadWaveform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;
  WaveformData waveform;
  if (LoadWaveform(file, &waveform)) {
    if (!(waveform.durationSeconds > 0) || !std::isfinite(waveform.durationSeconds)) __builtin_trap();
    for (const float value : waveform.values)
      if (!(value >= -1.0f && value <= 1.0f)) __builtin_trap();
  }
  std::fclose(file);
  return 0;
}
