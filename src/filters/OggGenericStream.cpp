#include "filters/OggGenericStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "filters/TimeScale.h"

namespace {

// The video-info block: two rectangles, bit rate and error rate, then the average time per
// frame, then the bitmap header (size, width, height, planes, bit count, compression ...).
constexpr size_t kAvgTimePerFrameOffset = 40;
constexpr size_t kBitmapHeaderOffset = 48;
constexpr size_t kBitmapWidthOffset = 52;
constexpr size_t kBitmapHeightOffset = 56;
constexpr size_t kBitmapPlanesOffset = 60;
constexpr size_t kBitmapBitCountOffset = 62;
constexpr size_t kBitmapCompressionOffset = 64;
constexpr size_t kVideoInfoBytes = 88;
// The video-info block with room for a palette or colour masks, as splitters hand it out.
constexpr size_t kVideoInfoWithPaletteBytes = 1128;
constexpr uint32_t kBitmapHeaderBytes = 40;

constexpr REFERENCE_TIME kAudioTimeUnit = kUnitsPerSecond;
constexpr REFERENCE_TIME kTextTimeUnit = 10000;

void PutLe64(uint8_t* at, uint64_t value) {
  PutLe32(at, static_cast<uint32_t>(value));
  PutLe32(at + 4, static_cast<uint32_t>(value >> 32));
}

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

constexpr uint32_t FourCc(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// Raw frames: every frame stands alone and has the same size.
bool IsUncompressedVideo(uint32_t code) {
  static constexpr uint32_t kUncompressed[] = {0,
                                               3,
                                               FourCc("YUY2"),
                                               FourCc("UYVY"),
                                               FourCc("YVYU"),
                                               FourCc("YV12"),
                                               FourCc("I420"),
                                               FourCc("IYUV"),
                                               FourCc("NV12"),
                                               FourCc("AYUV"),
                                               FourCc("Y411"),
                                               FourCc("Y41P"),
                                               FourCc("YVU9")};
  return std::find(std::begin(kUncompressed), std::end(kUncompressed), code) != std::end(kUncompressed);
}

GUID FourCcSubtype(uint32_t code) {
  GUID subtype = MEDIASUBTYPE_PCM;
  subtype.Data1 = code;
  return subtype;
}

std::optional<uint32_t> ParseHexTag(const uint8_t* text) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(text[i]);
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value << 4 | digit;
  }
  return value;
}

std::optional<OggGenericKind> KindFromName(const uint8_t* field) {
  char name[9] = {};
  std::memcpy(name, field, 8);
  for (OggGenericKind kind : {OggGenericKind::Video, OggGenericKind::Audio, OggGenericKind::Text})
    if (std::strcmp(name, StreamTypeName(kind)) == 0) return kind;
  return std::nullopt;
}
}  // namespace

uint64_t GetLe64(const uint8_t* at) { return GetLe32(at) | static_cast<uint64_t>(GetLe32(at + 4)) << 32; }

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

std::optional<OggStreamHeader> ParseStreamHeaderPacket(std::span<const uint8_t> packet) {
  if (packet.size() < 1 + kOggStreamHeaderBytes || packet[0] != kOggStreamHeaderPacketType) return std::nullopt;
  const uint8_t* at = packet.data() + 1;
  const std::optional<OggGenericKind> kind = KindFromName(at);
  const uint32_t size = GetLe32(at + 12);
  if (!kind || size < kOggStreamHeaderBytes) return std::nullopt;

  OggStreamHeader header;
  header.kind = *kind;
  if (header.kind == OggGenericKind::Audio) {
    const std::optional<uint32_t> tag = ParseHexTag(at + 8);
    if (!tag) return std::nullopt;
    header.subtypeCode = *tag;
  } else {
    header.subtypeCode = GetLe32(at + 8);
  }
  header.timeUnit = static_cast<int64_t>(GetLe64(at + 16));
  header.samplesPerUnit = static_cast<int64_t>(GetLe64(at + 24));
  if (header.timeUnit <= 0 || header.samplesPerUnit <= 0) return std::nullopt;
  header.defaultDuration = GetLe32(at + 32);
  header.bufferBytes = GetLe32(at + 36);
  header.bitsPerSample = GetLe16(at + 40);
  if (header.kind == OggGenericKind::Video) {
    header.width = GetLe32(at + 44);
    header.height = GetLe32(at + 48);
  } else if (header.kind == OggGenericKind::Audio) {
    header.channels = GetLe16(at + 44);
    header.blockAlign = GetLe16(at + 46);
    header.avgBytesPerSec = GetLe32(at + 48);
    const size_t extraBytes = std::min<size_t>(size, packet.size() - 1) - kOggStreamHeaderBytes;
    header.extra.assign(at + kOggStreamHeaderBytes, at + kOggStreamHeaderBytes + extraBytes);
  }
  return header;
}

AM_MEDIA_TYPE MediaTypeFromStreamHeader(const OggStreamHeader& header) {
  AM_MEDIA_TYPE type;
  switch (header.kind) {
    case OggGenericKind::Video: {
      const bool raw = IsUncompressedVideo(header.subtypeCode);
      type.majortype = MEDIATYPE_Video;
      type.subtype = FourCcSubtype(header.subtypeCode);
      type.bFixedSizeSamples = raw;
      type.bTemporalCompression = !raw;
      type.formattype = FORMAT_VideoInfo;
      type.format.assign(kVideoInfoWithPaletteBytes, 0);
      uint8_t* block = type.format.data();
      PutLe64(block + kAvgTimePerFrameOffset, static_cast<uint64_t>(header.timeUnit));
      PutLe32(block + kBitmapHeaderOffset, kBitmapHeaderBytes);
      PutLe32(block + kBitmapWidthOffset, header.width);
      PutLe32(block + kBitmapHeightOffset, header.height);
      PutLe16(block + kBitmapPlanesOffset, 1);
      PutLe16(block + kBitmapBitCountOffset, header.bitsPerSample);
      PutLe32(block + kBitmapCompressionOffset, header.subtypeCode);
      return type;
    }
    case OggGenericKind::Audio: {
      WAVEFORMATEX format;
      format.wFormatTag = static_cast<uint16_t>(header.subtypeCode);
      format.nChannels = header.channels;
      format.nSamplesPerSec = static_cast<uint32_t>(header.samplesPerUnit);
      format.nAvgBytesPerSec = header.avgBytesPerSec;
      format.nBlockAlign = header.blockAlign;
      format.wBitsPerSample = header.bitsPerSample;
      type = MakeAudioMediaType(format, header.extra);
      type.bFixedSizeSamples = false;
      return type;
    }
    case OggGenericKind::Text:
      type.majortype = MEDIATYPE_Text;
      type.bFixedSizeSamples = false;
      return type;
  }
  return type;
}

std::optional<OggDataPacket> ParseDataPacket(std::span<const uint8_t> packet) {
  if (packet.empty()) return std::nullopt;
  const uint8_t flags = packet[0];
  const size_t lengthBytes = (flags >> 6 & 3) | (flags & 2) << 1;
  if (lengthBytes > 4 || packet.size() < 1 + lengthBytes) return std::nullopt;
  OggDataPacket data;
  data.syncPoint = (flags & kOggDataPacketSyncPoint) != 0;
  if (lengthBytes > 0) {
    uint32_t duration = 0;
    for (size_t i = 0; i < lengthBytes; ++i) duration |= static_cast<uint32_t>(packet[1 + i]) << (8 * i);
    data.duration = duration;
  }
  data.payload = packet.subspan(1 + lengthBytes);
  return data;
}
