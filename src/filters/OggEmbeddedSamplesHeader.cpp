#include "filters/OggEmbeddedSamplesHeader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kIdentifier[] = "Direct Show Samples embedded in Ogg";
constexpr size_t kIdentifierBytes = sizeof kIdentifier - 1;
constexpr size_t kBufferSizeOffset = 40;
constexpr size_t kSubtypeOffset = 68;
constexpr size_t kFormatTypeOffset = 96;
constexpr size_t kFormatOffset = 124;

// First words of the video-info and wave-format format types.
constexpr uint32_t kVideoInfoWord = 0x05589F80;
constexpr uint32_t kWaveFormatWord = 0x05589F81;

// Within the format block.
constexpr size_t kAvgTimePerFrameOffset = 40;
constexpr size_t kBitmapWidthOffset = 52;
constexpr size_t kBitmapHeightOffset = 56;
constexpr size_t kBitmapBitCountOffset = 62;
constexpr size_t kVideoBlockBytes = 64;
constexpr size_t kWaveExtraSizeOffset = 16;
constexpr size_t kWaveBlockBytes = 18;

std::optional<OggStreamHeader> VideoHeader(std::span<const uint8_t> packet, uint32_t bufferBytes) {
  if (packet.size() < kFormatOffset + kVideoBlockBytes) return std::nullopt;
  const uint8_t* block = packet.data() + kFormatOffset;
  OggStreamHeader header;
  header.kind = OggGenericKind::Video;
  header.subtypeCode = GetLe32(packet.data() + kSubtypeOffset);
  header.timeUnit = static_cast<int64_t>(GetLe64(block + kAvgTimePerFrameOffset));
  header.samplesPerUnit = 1;
  header.bufferBytes = bufferBytes;
  header.width = GetLe32(block + kBitmapWidthOffset);
  header.height = GetLe32(block + kBitmapHeightOffset);
  header.bitsPerSample = GetLe16(block + kBitmapBitCountOffset);
  if (header.timeUnit <= 0) return std::nullopt;
  return header;
}

std::optional<OggStreamHeader> AudioHeader(std::span<const uint8_t> packet, uint32_t bufferBytes) {
  if (packet.size() < kFormatOffset + kWaveBlockBytes) return std::nullopt;
  const std::optional<WAVEFORMATEX> format = DecodeWaveFormat(packet.subspan(kFormatOffset));
  if (!format || format->nSamplesPerSec == 0) return std::nullopt;
  OggStreamHeader header;
  header.kind = OggGenericKind::Audio;
  header.subtypeCode = format->wFormatTag;
  header.timeUnit = kUnitsPerSecond;
  header.samplesPerUnit = format->nSamplesPerSec;
  header.bufferBytes = bufferBytes;
  header.bitsPerSample = format->wBitsPerSample;
  header.channels = format->nChannels;
  header.blockAlign = format->nBlockAlign;
  header.avgBytesPerSec = format->nAvgBytesPerSec;
  const size_t extraAt = kFormatOffset + kWaveBlockBytes;
  const size_t extraBytes =
      std::min<size_t>(GetLe16(packet.data() + kFormatOffset + kWaveExtraSizeOffset), packet.size() - extraAt);
  header.extra.assign(packet.begin() + extraAt, packet.begin() + extraAt + extraBytes);
  return header;
}

}  // namespace

std::optional<OggStreamHeader> ParseEmbeddedSamplesHeader(std::span<const uint8_t> packet) {
  if (packet.size() < kFormatOffset || (packet[0] & 7) != 1 ||
      std::memcmp(packet.data() + 1, kIdentifier, kIdentifierBytes) != 0)
    return std::nullopt;
  const uint32_t bufferBytes = GetLe32(packet.data() + kBufferSizeOffset);
  switch (GetLe32(packet.data() + kFormatTypeOffset)) {
    case kVideoInfoWord:
      return VideoHeader(packet, bufferBytes);
    case kWaveFormatWord:
      return AudioHeader(packet, bufferBytes);
    default:
      return std::nullopt;
  }
}
