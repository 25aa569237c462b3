#include <gtest/gtest.h>

#include "app/AppTestRig.h"
#include "app/LevelMeter.h"

TEST(LevelMeterTest, ThePeakFallsBackSlowlyBetweenBuffers) {
  AppTestRig rig;
  LevelMeter meter;
  meter.SetPeak(0.5);
  EXPECT_NEAR(meter.PeakDecibels(), -6.02, 0.01);
  meter.SetPeak(0);
  EXPECT_NEAR(meter.PeakDecibels(), -7.22, 0.01);
  meter.SetPeak(0.1);  // -20 dB is below the falling bar
  EXPECT_NEAR(meter.PeakDecibels(), -8.42, 0.01);
  for (int i = 0; i < 100; ++i) meter.SetPeak(0);
  EXPECT_EQ(meter.PeakDecibels(), -60);
  meter.SetPeak(0.5);
  meter.Reset();
  EXPECT_EQ(meter.PeakDecibels(), -60);
}

TEST(LevelMeterTest, AClipStaysShownForAMoment) {
  AppTestRig rig;
  LevelMeter meter;
  meter.SetPeak(0.95);
  EXPECT_FALSE(meter.Clipping());
  meter.SetPeak(1.0);
  EXPECT_TRUE(meter.Clipping());
  for (int i = 0; i < 14; ++i) meter.SetPeak(0.2);
  EXPECT_TRUE(meter.Clipping());
  meter.SetPeak(0.2);
  EXPECT_FALSE(meter.Clipping());
}
