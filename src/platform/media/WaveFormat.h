#pragma once
// The wave format record as it travels in a media type's format block: 18 bytes,
// little-endian, then cbSize extra bytes. Held as fields here and encoded explicitly, since
// the in-memory struct has padding the file layout does not.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

constexpr uint16_t WAVE_FORMAT_PCM = 0x0001;
constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 0x0003;
constexpr uint16_t WAVE_FORMAT_MPEG = 0x0050;
constexpr uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x0055;
constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;
constexpr size_t kWaveFormatExBytes = 18;

struct WAVEFORMATEX {
  uint16_t wFormatTag = WAVE_FORMAT_PCM;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;

  friend bool operator==(const WAVEFORMATEX&, const WAVEFORMATEX&) = default;
};

// PCM record with block alignment and byte rate derived from the other fields.
WAVEFORMATEX MakePcmFormat(uint32_t samplesPerSec, uint16_t channels, uint16_t bitsPerSample);

// 18 bytes followed by `extra` (cbSize is set to extra.size()).
std::vector<uint8_t> EncodeWaveFormat(const WAVEFORMATEX& format, std::span<const uint8_t> extra = {});

// Reads the record from a format block; a block of 16 bytes (the older PCM record) reads with
// cbSize 0. Shorter blocks give nothing.
std::optional<WAVEFORMATEX> DecodeWaveFormat(std::span<const uint8_t> block);

void PutLe16(uint8_t* at, uint16_t value);
void PutLe32(uint8_t* at, uint32_t value);
uint16_t GetLe16(const uint8_t* at);
uint32_t GetLe32(const uint8_t* at);
