#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "waveform/LoadWaveform.h"

namespace {

// Loads `content` as a dump file; the values, or nothing when the load fails.
std::optional<WaveformData> Load(const std::string& content) {
  ScratchFolder folder;
  folder.WriteText("dump.txt", content);
  WaveformData data;
  if (!LoadWaveform(folder.File("dump.txt"), &data)) return std::nullopt;
  return data;
}

std::vector<float> Values(const std::string& content) {
  const auto data = Load(content);
  return data ? data->values : std::vector<float>{};
}

TEST(LoadWaveformTest, ReadsDurationAndOneValuePerLine) {
  const auto data = Load("1\t22050\t2\t3.500000\t16000\t-16000\r\n16000\r\n0\r\n-8000\r\n");
  ASSERT_TRUE(data);
  EXPECT_DOUBLE_EQ(data->durationSeconds, 3.5);
  EXPECT_EQ(data->values, (std::vector<float>{1.0f, 0.0f, -0.5f}));
}

TEST(LoadWaveformTest, LoudSixteenBitAudioIsScaledToItsOwnExtremes) {
  // Past a tenth of full scale both ways (3276.7 and -3276.8).
  EXPECT_EQ(Values("2\t44100\t2\t1.0\t3277\t-3277\r\n3277\r\n-3277\r\n"), (std::vector<float>{1.0f, -1.0f}));
  EXPECT_EQ(Values("2\t44100\t2\t1.0\t20000\t-5000\r\n10000\r\n-2500\r\n"), (std::vector<float>{0.5f, -0.5f}));
}

TEST(LoadWaveformTest, QuietOrOneSidedAudioIsScaledToFullScale) {
  // The minimum never goes below -3276.8: quiet audio stays small.
  EXPECT_EQ(Values("2\t44100\t2\t1.0\t20000\t-3276\r\n32767\r\n-16384\r\n"), (std::vector<float>{1.0f, -0.5f}));
  // Every value positive: the minimum stays 0.
  EXPECT_EQ(Values("2\t44100\t2\t1.0\t32767\t0\r\n32767\r\n0\r\n"), (std::vector<float>{1.0f, 0.0f}));
  EXPECT_EQ(Values("1\t8000\t2\t1.0\t3277\t-3276\r\n-32768\r\n"), (std::vector<float>{-1.0f}));
}

TEST(LoadWaveformTest, EightBitThresholdsAndFullScale) {
  EXPECT_EQ(Values("1\t8000\t1\t1.0\t13\t-13\r\n13\r\n-13\r\n"), (std::vector<float>{1.0f, -1.0f}));
  EXPECT_EQ(Values("1\t8000\t1\t1.0\t12\t-13\r\n127\r\n-64\r\n"), (std::vector<float>{1.0f, -0.5f}));
}

TEST(LoadWaveformTest, OtherSampleWidthsAreScaledRelatively) {
  EXPECT_EQ(Values("1\t8000\t3\t1.0\t4\t-2\r\n2\r\n-2\r\n"), (std::vector<float>{0.5f, -1.0f}));
  // A header whose extremes are 0 cannot scale that side; what it claims is kept within range.
  EXPECT_EQ(Values("1\t8000\t4\t1.0\t0\t0\r\n7\r\n-7\r\n"), (std::vector<float>{0.0f, 0.0f}));
  EXPECT_EQ(Values("1\t8000\t4\t1.0\t2\t-2\r\n7\r\n-7\r\n"), (std::vector<float>{1.0f, -1.0f}));
}

TEST(LoadWaveformTest, WhatCannotBeLoaded) {
  EXPECT_FALSE(Load("1\t8000\t2\t0.000000\t0\t0\r\n"));  // no audio at all
  EXPECT_FALSE(Load(""));
  EXPECT_FALSE(Load("1\t8000\t2\t1.0\t5\r\n5\r\n"));  // a field short
  EXPECT_FALSE(Load("1\t8000\t2\tnan\t5\t-5\r\n"));
  EXPECT_FALSE(Load("1\t8000\t2\t-3.0\t5\t-5\r\n"));
  EXPECT_FALSE(Load("not a dump at all\r\n"));
  WaveformData untouched{2.0, {0.25f}};
  EXPECT_FALSE(LoadWaveform("/nonexistent/~vtcorvox.txt", &untouched));
  EXPECT_EQ(untouched.durationSeconds, 2.0);
  EXPECT_EQ(untouched.values, std::vector<float>{0.25f});
}

TEST(LoadWaveformTest, OddLinesCountAsZeroAndPlainLineFeedsWork) {
  EXPECT_EQ(Values("1\t8000\t2\t1.0\t0\t0\nabc\n\n99999999999\n-99999999999"),
            (std::vector<float>{0.0f, 0.0f, 1.0f, -1.0f}));
  const auto headerOnly = Load("1\t8000\t2\t0.5\t0\t0\r\n");
  ASSERT_TRUE(headerOnly);
  EXPECT_TRUE(headerOnly->values.empty());
}

}  // namespace
