#include "filters/OggGenericStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "filters/TimeScale.h"

namespace {

// The video-info block: two rectangles, bit rate and error rate, then the average time per
// frame, then the bitmap header (size, width, height, planes, bit count, compression ...).
constexpr size_t kAvgTimePerFrameOffset = 40;
constexpr size_t kBitmapWidthOffset = 52;
constexpr size_t kBitmapHeightOffset = 56;
constexpr size_t kBitmapBitCountOffset = 62;
constexpr size_t kVideoInfoBytes = 88;

constexpr REFERENCE_TIME kAudioTimeUnit = kUnitsPerSecond;
constexpr REFERENCE_TIME kTextTimeUnit = 10000;

void PutLe64(uint8_t* at, uint64_t value) {
  PutLe32(at, static_cast<uint32_t>(value));
  PutLe32(at + 4, static_cast<uint32_t>(value >> 32));
}

uint64_t GetLe64(const uint8_t* at) { return GetLe32(at) | static_cast<uint64_t>(GetLe32(at + 4)) << 32; }

const char* StreamTypeName(OggGenericKind kind) {
  switch (kind) {
    case OggGenericKind::Video:
      return "video";
    case OggGenericKind::Audio:
      return "audio";
    case OggGenericKind::Text:
      return "text";
  }
  return "";
}

}  // namespace

int64_t OggStreamHeader::GranuleFromTime(REFERENCE_TIME time) const {
  return ScaleRounded(time, samplesPerUnit, timeUnit);
}

REFERENCE_TIME OggStreamHeader::TimeFromGranule(int64_t granule) const {
  return ScaleRounded(granule, timeUnit, samplesPerUnit);
}

std::optional<OggStreamHeader> MakeVideoStreamHeader(const AM_MEDIA_TYPE& type, uint32_t bufferBytes) {
  if (type.format.size() < kVideoInfoBytes) return std::nullopt;
  const uint8_t* block = type.format.data();
  const auto avgTimePerFrame = static_cast<int64_t>(GetLe64(block + kAvgTimePerFrameOffset));
  if (avgTimePerFrame <= 0) return std::nullopt;

  OggStreamHeader header;
  header.kind = OggGenericKind::Video;
  header.subtypeCode = type.subtype.Data1;
  header.timeUnit = avgTimePerFrame;
  header.samplesPerUnit = 1;
  header.bufferBytes = bufferBytes;
  header.bitsPerSample = GetLe16(block + kBitmapBitCountOffset);
  header.width = GetLe32(block + kBitmapWidthOffset);
  header.height = GetLe32(block + kBitmapHeightOffset);
  return header;
}

std::optional<OggStreamHeader> MakeAudioStreamHeader(const AM_MEDIA_TYPE& type, uint32_t bufferBytes) {
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(type);
  if (!format || format->nSamplesPerSec == 0) return std::nullopt;

  OggStreamHeader header;
  header.kind = OggGenericKind::Audio;
  header.subtypeCode = format->wFormatTag;
  header.timeUnit = kAudioTimeUnit;
  header.samplesPerUnit = format->nSamplesPerSec;
  header.bufferBytes = bufferBytes;
  header.bitsPerSample = format->wBitsPerSample;
  header.channels = format->nChannels;
  header.blockAlign = format->nBlockAlign;
  header.avgBytesPerSec = format->nAvgBytesPerSec;
  const size_t available = type.format.size() - std::min(type.format.size(), kWaveFormatExBytes);
  const size_t extraBytes = std::min<size_t>(format->cbSize, available);
  header.extra.assign(type.format.begin() + kWaveFormatExBytes, type.format.begin() + kWaveFormatExBytes + extraBytes);
  return header;
}

OggStreamHeader MakeTextStreamHeader() {
  OggStreamHeader header;
  header.kind = OggGenericKind::Text;
  header.timeUnit = kTextTimeUnit;
  header.samplesPerUnit = 1;
  header.bufferBytes = kOggTextBufferBytes;
  return header;
}

std::vector<uint8_t> EncodeStreamHeaderPacket(const OggStreamHeader& header) {
  std::vector<uint8_t> packet(1 + kOggStreamHeaderBytes + header.extra.size(), 0);
  packet[0] = kOggStreamHeaderPacketType;
  uint8_t* at = packet.data() + 1;

  const char* name = StreamTypeName(header.kind);
  std::memcpy(at, name, std::strlen(name));
  if (header.kind == OggGenericKind::Audio) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "%04x", header.subtypeCode & 0xFFFF);
    std::memcpy(at + 8, hex, 4);
  } else {
    PutLe32(at + 8, header.subtypeCode);
  }
  PutLe32(at + 12, static_cast<uint32_t>(kOggStreamHeaderBytes + header.extra.size()));
  PutLe64(at + 16, static_cast<uint64_t>(header.timeUnit));
  PutLe64(at + 24, static_cast<uint64_t>(header.samplesPerUnit));
  PutLe32(at + 32, header.defaultDuration);
  PutLe32(at + 36, header.bufferBytes);
  PutLe16(at + 40, header.bitsPerSample);
  if (header.kind == OggGenericKind::Video) {
    PutLe32(at + 44, header.width);
    PutLe32(at + 48, header.height);
  } else if (header.kind == OggGenericKind::Audio) {
    PutLe16(at + 44, header.channels);
    PutLe16(at + 46, header.blockAlign);
    PutLe32(at + 48, header.avgBytesPerSec);
  }
  std::copy(header.extra.begin(), header.extra.end(), at + kOggStreamHeaderBytes);
  return packet;
}

size_t EncodeDataPacketPrefix(bool syncPoint, int64_t duration, uint8_t (&prefix)[kOggDataPacketPrefixMaxBytes]) {
  const auto value = static_cast<uint32_t>(std::clamp<int64_t>(duration, 0, UINT32_MAX));
  size_t lengthBytes = 0;
  if (value != 1) lengthBytes = value < (1u << 8) ? 1 : value < (1u << 16) ? 2 : value < (1u << 24) ? 3 : 4;

  uint8_t flags = syncPoint ? kOggDataPacketSyncPoint : 0;
  flags |= static_cast<uint8_t>((lengthBytes & 3) << 6);
  flags |= static_cast<uint8_t>((lengthBytes & 4) >> 1);
  prefix[0] = flags;
  for (size_t i = 0; i < lengthBytes; ++i) prefix[1 + i] = static_cast<uint8_t>(value >> (8 * i));
  return 1 + lengthBytes;
}
