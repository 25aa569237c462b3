#include "platform/audio/PcmSample.h"

bool IsPcmSampleSize(uint16_t bitsPerSample) {
  return bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
}

int32_t ReadPcmSample(const uint8_t* at, uint16_t bitsPerSample) {
  uint32_t bits = 0;
  switch (bitsPerSample) {
    case 8:
      bits = static_cast<uint32_t>(at[0] ^ 0x80u) << 24;
      break;
    case 16:
      bits = (static_cast<uint32_t>(at[0]) << 16) | (static_cast<uint32_t>(at[1]) << 24);
      break;
    case 24:
      bits = (static_cast<uint32_t>(at[0]) << 8) | (static_cast<uint32_t>(at[1]) << 16) |
             (static_cast<uint32_t>(at[2]) << 24);
      break;
    default:
      bits = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
             (static_cast<uint32_t>(at[3]) << 24);
      break;
  }
  return static_cast<int32_t>(bits);
}

void WritePcmSample(uint8_t* at, uint16_t bitsPerSample, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  switch (bitsPerSample) {
    case 8:
      at[0] = static_cast<uint8_t>((bits >> 24) ^ 0x80u);
      break;
    case 16:
      at[0] = static_cast<uint8_t>(bits >> 16);
      at[1] = static_cast<uint8_t>(bits >> 24);
      break;
    case 24:
      at[0] = static_cast<uint8_t>(bits >> 8);
      at[1] = static_cast<uint8_t>(bits >> 16);
      at[2] = static_cast<uint8_t>(bits >> 24);
      break;
    default:
      for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
      break;
  }
}

uint32_t PcmPeak(const uint8_t* data, size_t bytes, uint16_t bitsPerSample) {
  const size_t step = bitsPerSample / 8u;
  uint32_t peak = 0;
  for (size_t at = 0; step > 0 && at + step <= bytes; at += step) {
    const int64_t value = ReadPcmSample(data + at, bitsPerSample);
    const auto magnitude = static_cast<uint32_t>(value < 0 ? -value : value);
    if (magnitude > peak) peak = magnitude;
  }
  return peak;
}
