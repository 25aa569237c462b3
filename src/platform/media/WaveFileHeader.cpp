#include "platform/media/WaveFileHeader.h"

#include <algorithm>
#include <cstring>

#include "platform/media/WaveFormat.h"

std::vector<uint8_t> MakeWaveFileHeader(std::span<const uint8_t> formatBlock, uint32_t dataBytes, WaveDataPad pad) {
  std::vector<uint8_t> header(kWaveHeaderBytesBesideFormat + formatBlock.size());
  const uint64_t padBytes = pad == WaveDataPad::ToEvenLength ? (dataBytes & 1u) : 0;
  const uint64_t riffBytes = header.size() - 8 + uint64_t{dataBytes} + padBytes;
  uint8_t* p = header.data();
  std::memcpy(p, "RIFF", 4);
  PutLe32(p + 4, static_cast<uint32_t>(std::min<uint64_t>(riffBytes, 0xFFFFFFFF)));
  std::memcpy(p + 8, "WAVEfmt ", 8);
  PutLe32(p + 16, static_cast<uint32_t>(formatBlock.size()));
  std::copy(formatBlock.begin(), formatBlock.end(), p + 20);
  uint8_t* data = p + 20 + formatBlock.size();
  std::memcpy(data, "data", 4);
  PutLe32(data + 4, dataBytes);
  return header;
}
