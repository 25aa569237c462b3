#include "platform/media/WaveFormat.h"

void PutLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t GetLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

uint32_t GetLe32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
         (static_cast<uint32_t>(at[3]) << 24);
}

WAVEFORMATEX MakePcmFormat(uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample) {
  WAVEFORMATEX format;
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = samplesPerSec;
  format.wBitsPerSample = bitsPerSample;
  format.nBlockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
  format.nAvgBytesPerSec = samplesPerSec * format.nBlockAlign;
  return format;
}

std::vector<uint8_t> EncodeWaveFormat(const WAVEFORMATEX& format, std::span<const uint8_t> extra) {
  std::vector<uint8_t> block(kWaveFormatExBytes + extra.size());
  uint8_t* p = block.data();
  PutLe16(p + 0, format.wFormatTag);
  PutLe16(p + 2, format.nChannels);
  PutLe32(p + 4, format.nSamplesPerSec);
  PutLe32(p + 8, format.nAvgBytesPerSec);
  PutLe16(p + 12, format.nBlockAlign);
  PutLe16(p + 14, format.wBitsPerSample);
  PutLe16(p + 16, static_cast<uint16_t>(extra.size()));
  std::copy(extra.begin(), extra.end(), block.begin() + kWaveFormatExBytes);
  return block;
}

std::optional<WAVEFORMATEX> DecodeWaveFormat(std::span<const uint8_t> block) {
  if (block.size() < 16) return std::nullopt;
  const uint8_t* p = block.data();
  WAVEFORMATEX format;
  format.wFormatTag = GetLe16(p + 0);
  format.nChannels = GetLe16(p + 2);
  format.nSamplesPerSec = GetLe32(p + 4);
  format.nAvgBytesPerSec = GetLe32(p + 8);
  format.nBlockAlign = GetLe16(p + 12);
  format.wBitsPerSample = GetLe16(p + 14);
  format.cbSize = block.size() >= kWaveFormatExBytes ? GetLe16(p + 16) : 0;
  return format;
}
