#include "platform/audio/PcmGain.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/PcmSample.h"

namespace {

constexpr long kSilence = -10000;

}  // namespace

double GainFromVolume(long hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= kSilence) return 0.0;
  return std::pow(10.0, static_cast<double>(hundredthsOfDecibel) / 2000.0);
}

void ApplyPcmGain(const uint8_t* input, uint8_t* output, size_t bytes, uint16_t bitsPerSample, double gain) {
  const size_t sampleBytes = bitsPerSample / 8u;
  // Samples travel as 32-bit values; half of the kept size's lowest step rounds to nearest.
  const int64_t half = bitsPerSample < 32 ? int64_t{1} << (31 - bitsPerSample) : 0;
  for (size_t at = 0; at + sampleBytes <= bytes; at += sampleBytes) {
    const int64_t scaled = std::llround(ReadPcmSample(input + at, bitsPerSample) * gain) + half;
    WritePcmSample(output + at, bitsPerSample, static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX)));
  }
}
