#pragma once
// The four-byte header that starts every MPEG audio Layer III frame (MPEG-1, MPEG-2 and
// MPEG-2.5), decoded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

struct MpegAudioFrameHeader {
  enum class Version { Mpeg1, Mpeg2, Mpeg25 };
  enum ChannelMode : uint8_t { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kMono = 3 };

  Version version = Version::Mpeg1;
  bool crc = false;  // a 16-bit CRC follows the header
  int bitrateKbps = 0;
  int sampleRateHz = 0;
  bool padding = false;
  bool privateBit = false;
  ChannelMode channelMode = kStereo;
  uint8_t modeExtension = 0;
  bool copyright = false;
  bool original = false;
  uint8_t emphasis = 0;

  int Channels() const { return channelMode == kMono ? 1 : 2; }
  int SamplesPerFrame() const { return version == Version::Mpeg1 ? 1152 : 576; }
  // The whole frame, header included.
  size_t FrameBytes() const;
};

constexpr size_t kMpegAudioFrameHeaderBytes = 4;

// Nothing unless the bytes are a Layer III header with a sync word, a listed bitrate (free
// format is not), a listed sample rate and a defined emphasis.
std::optional<MpegAudioFrameHeader> ParseMpegAudioFrameHeader(
    std::span<const uint8_t, kMpegAudioFrameHeaderBytes> bytes);
