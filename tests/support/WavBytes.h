#pragma once
// Builds WAV files byte by byte for the audio tests, including the odd layouts readers meet.

#include <cstdint>
#include <vector>

struct WavLayout {
  uint16_t formatTag = 1;
  uint16_t channels = 2;
  uint32_t rateHz = 44100;
  uint16_t bitsPerSample = 16;
  bool extensible = false;          // WAVE_FORMAT_EXTENSIBLE with the PCM subformat
  bool oddChunkFirst = false;       // a 3-byte chunk (padded) before "fmt "
  bool listChunkAfterData = false;  // trailing metadata after the samples
};

std::vector<uint8_t> WavBytes(const WavLayout& layout, const std::vector<uint8_t>& data);

// Interleaved little-endian samples of `bits` (8-bit as unsigned) from signed values that fit.
std::vector<uint8_t> PcmBytes(uint16_t bits, const std::vector<int32_t>& values);
