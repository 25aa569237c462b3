#include <gtest/gtest.h>

#include <vector>

#include "support/WavBytes.h"
#include "waveform/WaveformCondenser.h"

namespace {

WaveformCondenser Condenser(uint32_t rateHz, uint16_t channels, uint16_t bits) {
  WaveformCondenser condenser;
  condenser.SetFormat(MakePcmFormat(rateHz, channels, bits));
  return condenser;
}

std::vector<int> Condense(WaveformCondenser& condenser, const std::vector<uint8_t>& bytes) {
  std::vector<int> values{99};  // replaced, not appended to
  condenser.Condense(bytes, &values);
  return values;
}

TEST(WaveformCondenserTest, StepFollowsRateBandAndChannels) {
  EXPECT_EQ(Condenser(44100, 2, 16).Step(), 220);
  EXPECT_EQ(Condenser(8000, 1, 16).Step(), 200);
  EXPECT_EQ(Condenser(48000, 2, 16).Step(), 80);
  EXPECT_EQ(Condenser(11999, 1, 8).Step(), 299);  // 11999 / 40
  EXPECT_EQ(Condenser(12000, 1, 8).Step(), 200);  // 12000 / 60
  EXPECT_EQ(Condenser(32000, 1, 16).Step(), 320);
  EXPECT_EQ(Condenser(96000, 6, 16).Step(), 53);
}

TEST(WaveformCondenserTest, ValueCountIsLengthOverFramePlusStepRoundedUp) {
  WaveformCondenser stereo = Condenser(44100, 2, 16);
  EXPECT_EQ(Condense(stereo, std::vector<uint8_t>(8820)).size(), 40u);  // ceil(8820 / 224)
  EXPECT_EQ(Condense(stereo, std::vector<uint8_t>(224)).size(), 1u);
  EXPECT_EQ(Condense(stereo, std::vector<uint8_t>(225)).size(), 2u);
  EXPECT_TRUE(Condense(stereo, {}).empty());
  // An odd share (2 + 367 bytes) still gives whole 16-bit samples: every value here is -300.
  WaveformCondenser mono = Condenser(22050, 1, 16);
  const auto values = Condense(mono, PcmBytes(16, std::vector<int32_t>(2000, -300)));
  EXPECT_EQ(values.size(), 11u);  // ceil(4000 / 369)
  for (int value : values) EXPECT_EQ(value, -300);
}

TEST(WaveformCondenserTest, ValuesAverageOneFrameAndKeepTheAudiosOrder) {
  WaveformCondenser stereo = Condenser(8000, 2, 16);  // step 100, share 104 bytes = 26 frames
  std::vector<int32_t> samples;
  for (int frame = 0; frame < 52; ++frame) {
    samples.push_back(frame == 0 ? 1001 : frame == 26 ? -3 : 7);
    samples.push_back(frame == 0 ? 2000 : frame == 26 ? 0 : 7);
  }
  // (1001 + 2000) / 2 = 1500 (truncated); (-3 + 0) / 2 = -1 (toward zero, not -2).
  EXPECT_EQ(Condense(stereo, PcmBytes(16, samples)), (std::vector<int>{1500, -1}));
}

TEST(WaveformCondenserTest, EightBitSamplesAreCentredAndAPartialFrameStillDividesByChannels) {
  WaveformCondenser stereo = Condenser(8000, 2, 8);  // step 100, share 102 bytes
  std::vector<uint8_t> bytes(103, 128);
  bytes[0] = 228;  // +100
  bytes[1] = 28;   // -100
  bytes[102] = 0;  // a lone byte of a last frame: -128 / 2
  EXPECT_EQ(Condense(stereo, bytes), (std::vector<int>{0, -64}));
  WaveformCondenser mono = Condenser(8000, 1, 8);
  EXPECT_EQ(Condense(mono, {255}), (std::vector<int>{127}));
  EXPECT_EQ(Condense(mono, {0}), (std::vector<int>{-128}));
}

TEST(WaveformCondenserTest, HeaderCarriesFormatDurationAndExtremes) {
  WaveformCondenser condenser = Condenser(22050, 1, 16);
  Condense(condenser, std::vector<uint8_t>(154350));  // 3.5 s
  condenser.Track(1200);
  condenser.Track(-17);
  condenser.Track(5);
  EXPECT_EQ(condenser.FinishHeader(), "1\t22050\t2\t3.500000\t1200\t-17");
  // The byte count restarts after a header; the extremes carry on, also across a new format.
  condenser.SetFormat(MakePcmFormat(8000, 2, 8));
  EXPECT_EQ(condenser.FinishHeader(), "2\t8000\t1\t0.000000\t1200\t-17");
}

TEST(WaveformCondenserTest, AcceptsOnlyPcmItCanCondense) {
  EXPECT_TRUE(WaveformCondenser::Accepts(MakePcmFormat(44100, 2, 16)));
  EXPECT_TRUE(WaveformCondenser::Accepts(MakePcmFormat(8000, 1, 8)));
  EXPECT_FALSE(WaveformCondenser::Accepts(MakePcmFormat(44100, 2, 24)));
  EXPECT_FALSE(WaveformCondenser::Accepts(MakePcmFormat(44100, 0, 16)));
  EXPECT_FALSE(WaveformCondenser::Accepts(MakePcmFormat(0, 2, 16)));
  WAVEFORMATEX adpcm = MakePcmFormat(44100, 2, 16);
  adpcm.wFormatTag = 2;
  EXPECT_FALSE(WaveformCondenser::Accepts(adpcm));
}

}  // namespace
