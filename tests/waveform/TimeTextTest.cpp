#include <gtest/gtest.h>

#include "waveform/TimeText.h"

TEST(DurationTextTest, MinutesAndSecondsBelowAnHour) {
  EXPECT_EQ(DurationText(65), "01:05");
  EXPECT_EQ(DurationText(0), "00:00");
  EXPECT_EQ(DurationText(59.99), "00:59");
  EXPECT_EQ(DurationText(3599.9), "59:59");
}

TEST(DurationTextTest, FromOneHourOnFieldsArePaddedWithSpaces) {
  EXPECT_EQ(DurationText(3600 + 2 * 60 + 5), "1: 2: 5");
  EXPECT_EQ(DurationText(3600), "1: 0: 0");
  EXPECT_EQ(DurationText(10 * 3600 + 59 * 60 + 59.7), "10:59:59");
}

TEST(DurationTextTest, NeverLongerThanEighteenCharacters) { EXPECT_LE(DurationText(1e12).size(), 18u); }

TEST(RunningTimeTextTest, OneDecimalAndNoLeadingZeroBelowTenSeconds) {
  EXPECT_EQ(RunningTimeText("Recording : ", 5.34), "Recording : 00:00:5.3");
  EXPECT_EQ(RunningTimeText("Playing : ", 75.25), "Playing : 00:01:15.2");
  EXPECT_EQ(RunningTimeText("Playing : ", 3600 + 60 + 10), "Playing : 01:01:10.0");
}
