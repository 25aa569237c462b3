#include <gtest/gtest.h>

#include "platform/media/Mpeg1WaveFormat.h"

namespace {

TEST(Mpeg1WaveFormat, EveryFieldLandsAtItsOffsetAndExtraSizeIs22) {
  MPEG1WAVEFORMAT format;
  format.wfx = MakePcmFormat(48000, 1, 16);
  format.wfx.wFormatTag = WAVE_FORMAT_MPEG;
  format.wfx.cbSize = 0;  // written as 22 whatever it holds
  format.fwHeadLayer = ACM_MPEG_LAYER3;
  format.dwHeadBitrate = 0x01020304;
  format.fwHeadMode = ACM_MPEG_SINGLECHANNEL;
  format.fwHeadModeExt = 0x0506;
  format.wHeadEmphasis = 0x0708;
  format.fwHeadFlags = ACM_MPEG_ID_MPEG1 | ACM_MPEG_PROTECTIONBIT;
  format.dwPTSLow = 0x11121314;
  format.dwPTSHigh = 0x21222324;
  const auto bytes = EncodeMpeg1WaveFormat(format);
  ASSERT_EQ(bytes.size(), 40u);
  EXPECT_EQ(GetLe16(&bytes[0]), WAVE_FORMAT_MPEG);
  EXPECT_EQ(GetLe16(&bytes[2]), 1);
  EXPECT_EQ(GetLe32(&bytes[4]), 48000u);
  EXPECT_EQ(GetLe16(&bytes[16]), 22);
  EXPECT_EQ(GetLe16(&bytes[18]), ACM_MPEG_LAYER3);
  EXPECT_EQ(GetLe32(&bytes[20]), 0x01020304u);
  EXPECT_EQ(GetLe16(&bytes[24]), ACM_MPEG_SINGLECHANNEL);
  EXPECT_EQ(GetLe16(&bytes[26]), 0x0506);
  EXPECT_EQ(GetLe16(&bytes[28]), 0x0708);
  EXPECT_EQ(GetLe16(&bytes[30]), 0x18);
  EXPECT_EQ(GetLe32(&bytes[32]), 0x11121314u);
  EXPECT_EQ(GetLe32(&bytes[36]), 0x21222324u);
}

}  // namespace
