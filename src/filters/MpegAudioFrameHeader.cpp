#include "filters/MpegAudioFrameHeader.h"

namespace {

using Version = MpegAudioFrameHeader::Version;

constexpr int kMpeg1BitratesKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMpeg2BitratesKbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kMpeg1RatesHz[3] = {44100, 48000, 32000};
constexpr uint8_t kLayer3 = 1;
constexpr uint8_t kReservedEmphasis = 2;

}  // namespace

size_t MpegAudioFrameHeader::FrameBytes() const {
  // Layer III slots are bytes: samples per frame / 8 bytes per bit of bitrate.
  const size_t bytesPerBitrate = static_cast<size_t>(SamplesPerFrame()) / 8;
  return bytesPerBitrate * static_cast<size_t>(bitrateKbps) * 1000 / static_cast<size_t>(sampleRateHz) +
         (padding ? 1 : 0);
}

std::optional<MpegAudioFrameHeader> ParseMpegAudioFrameHeader(std::span<const uint8_t, kMpegAudioFrameHeaderBytes> b) {
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
  const uint8_t versionBits = (b[1] >> 3) & 3;
  const uint8_t layerBits = (b[1] >> 1) & 3;
  const uint8_t bitrateIndex = b[2] >> 4;
  const uint8_t rateIndex = (b[2] >> 2) & 3;
  if (versionBits == 1 || layerBits != kLayer3 || rateIndex == 3) return std::nullopt;

  MpegAudioFrameHeader header;
  header.version = versionBits == 3 ? Version::Mpeg1 : versionBits == 2 ? Version::Mpeg2 : Version::Mpeg25;
  const bool mpeg1 = header.version == Version::Mpeg1;
  header.bitrateKbps = (mpeg1 ? kMpeg1BitratesKbps : kMpeg2BitratesKbps)[bitrateIndex];
  if (header.bitrateKbps == 0) return std::nullopt;
  const int divisor = mpeg1 ? 1 : header.version == Version::Mpeg2 ? 2 : 4;
  header.sampleRateHz = kMpeg1RatesHz[rateIndex] / divisor;
  header.crc = (b[1] & 1) == 0;
  header.padding = (b[2] & 2) != 0;
  header.privateBit = (b[2] & 1) != 0;
  header.channelMode = static_cast<MpegAudioFrameHeader::ChannelMode>(b[3] >> 6);
  header.modeExtension = (b[3] >> 4) & 3;
  header.copyright = (b[3] & 8) != 0;
  header.original = (b[3] & 4) != 0;
  header.emphasis = b[3] & 3;
  if (header.emphasis == kReservedEmphasis) return std::nullopt;
  return header;
}
