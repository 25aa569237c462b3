#pragma once
// The platform's MPEG-1 audio wave format record: the 18-byte wave format record (tag 0x50,
// extra size 22) followed by the MPEG header fields, 40 bytes, little-endian, no padding.

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/media/WaveFormat.h"

constexpr size_t kMpeg1WaveFormatBytes = 40;
constexpr uint16_t kMpeg1WaveFormatExtraBytes = kMpeg1WaveFormatBytes - kWaveFormatExBytes;

constexpr uint16_t ACM_MPEG_LAYER1 = 0x0001;
constexpr uint16_t ACM_MPEG_LAYER2 = 0x0002;
constexpr uint16_t ACM_MPEG_LAYER3 = 0x0004;

constexpr uint16_t ACM_MPEG_STEREO = 0x0001;
constexpr uint16_t ACM_MPEG_JOINTSTEREO = 0x0002;
constexpr uint16_t ACM_MPEG_DUALCHANNEL = 0x0004;
constexpr uint16_t ACM_MPEG_SINGLECHANNEL = 0x0008;

constexpr uint16_t ACM_MPEG_PRIVATEBIT = 0x0001;
constexpr uint16_t ACM_MPEG_COPYRIGHT = 0x0002;
constexpr uint16_t ACM_MPEG_ORIGINALHOME = 0x0004;
constexpr uint16_t ACM_MPEG_PROTECTIONBIT = 0x0008;
constexpr uint16_t ACM_MPEG_ID_MPEG1 = 0x0010;

struct MPEG1WAVEFORMAT {
  WAVEFORMATEX wfx;  // cbSize is written as 22 whatever it holds
  uint16_t fwHeadLayer = 0;
  uint32_t dwHeadBitrate = 0;  // bits per second
  uint16_t fwHeadMode = 0;
  uint16_t fwHeadModeExt = 0;
  uint16_t wHeadEmphasis = 0;
  uint16_t fwHeadFlags = 0;
  uint32_t dwPTSLow = 0;
  uint32_t dwPTSHigh = 0;

  friend bool operator==(const MPEG1WAVEFORMAT&, const MPEG1WAVEFORMAT&) = default;
};

std::array<uint8_t, kMpeg1WaveFormatBytes> EncodeMpeg1WaveFormat(const MPEG1WAVEFORMAT& format);
