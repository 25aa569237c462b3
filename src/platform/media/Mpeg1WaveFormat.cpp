#include "platform/media/Mpeg1WaveFormat.h"

#include <algorithm>

std::array<uint8_t, kMpeg1WaveFormatBytes> EncodeMpeg1WaveFormat(const MPEG1WAVEFORMAT& format) {
  std::array<uint8_t, kMpeg1WaveFormatBytes> block{};
  const std::array<uint8_t, kMpeg1WaveFormatExtraBytes> extra{};
  const std::vector<uint8_t> head = EncodeWaveFormat(format.wfx, extra);
  std::copy_n(head.begin(), kWaveFormatExBytes, block.begin());
  uint8_t* p = block.data() + kWaveFormatExBytes;
  PutLe16(p + 0, format.fwHeadLayer);
  PutLe32(p + 2, format.dwHeadBitrate);
  PutLe16(p + 6, format.fwHeadMode);
  PutLe16(p + 8, format.fwHeadModeExt);
  PutLe16(p + 10, format.wHeadEmphasis);
  PutLe16(p + 12, format.fwHeadFlags);
  PutLe32(p + 14, format.dwPTSLow);
  PutLe32(p + 18, format.dwPTSHigh);
  return block;
}
