#include "filters/OggEmbeddedSamplesHeader.h"

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

// The media type the record describes, as far as the headers' makers read it.
AM_MEDIA_TYPE EmbeddedType(std::span<const uint8_t> packet, const GUID& formatType) {
  AM_MEDIA_TYPE type;
  type.subtype = MEDIASUBTYPE_PCM;
  type.subtype.Data1 = GetLe32(packet.data() + kSubtypeOffset);
  type.formattype = formatType;
  type.format.assign(packet.begin() + kFormatOffset, packet.end());
  return type;
}

}  // namespace

std::optional<OggStreamHeader> ParseEmbeddedSamplesHeader(std::span<const uint8_t> packet) {
  if (packet.size() < kFormatOffset || (packet[0] & 7) != 1 ||
      std::memcmp(packet.data() + 1, kIdentifier, kIdentifierBytes) != 0)
    return std::nullopt;
  const uint32_t bufferBytes = GetLe32(packet.data() + kBufferSizeOffset);
  switch (GetLe32(packet.data() + kFormatTypeOffset)) {
    case kVideoInfoWord:
      return MakeVideoStreamHeader(EmbeddedType(packet, FORMAT_VideoInfo), bufferBytes);
    case kWaveFormatWord:
      return MakeAudioStreamHeader(EmbeddedType(packet, FORMAT_WaveFormatEx), bufferBytes);
    default:
      return std::nullopt;
  }
}
