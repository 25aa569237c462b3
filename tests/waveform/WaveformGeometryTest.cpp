#include <gtest/gtest.h>

#include "waveform/WaveformGeometry.h"

TEST(WaveformWidthTest, UpToThirtySecondsFillTheView) {
  EXPECT_EQ(WaveformWidth(12.5, 500), 480);  // 12.5 * 500 / 13
  EXPECT_EQ(WaveformWidth(10, 500), 500);
  EXPECT_EQ(WaveformWidth(30, 500), 500);
}

TEST(WaveformWidthTest, LongerFilesGetThirtySecondsPerWidth) {
  EXPECT_EQ(WaveformWidth(90, 500), 1500);
  EXPECT_EQ(WaveformWidth(3600, 500), 60000);
}

TEST(WaveformWidthTest, NothingToLayOutGivesZero) {
  EXPECT_EQ(WaveformWidth(0, 500), 0);
  EXPECT_EQ(WaveformWidth(-1, 500), 0);
  EXPECT_EQ(WaveformWidth(10, -1), 0);
}

TEST(VisibleWaveformPointsTest, OneVertexPerVisibleColumnTakenNotAveraged) {
  // Four values per column: the column shows the first value that falls on it.
  std::vector<float> values;
  for (int column = 0; column < 100; ++column)
    for (int k = 0; k < 4; ++k) values.push_back(k == 0 ? (column % 2 ? 1.0f : -1.0f) : 0.0f);
  std::vector<WaveformPoint> points;
  VisibleWaveformPoints(values, 100, 0, 100, &points);
  ASSERT_EQ(points.size(), 99u);  // columns 0 ... width - 2
  EXPECT_EQ(points[0].x, 0);
  EXPECT_EQ(points[0].y, kWaveBottom);
  EXPECT_EQ(points[1].y, kWaveTop);
  EXPECT_EQ(points[98].x, 98);
}

TEST(VisibleWaveformPointsTest, ScrolledViewStartsAtTheScrollPosition) {
  std::vector<float> values(1500);
  values[1000] = 0.5f;
  std::vector<WaveformPoint> points;
  VisibleWaveformPoints(values, 1500, 1000, 500, &points);
  ASSERT_EQ(points.size(), 499u);
  EXPECT_EQ(points[0].x, 0);
  EXPECT_EQ(points[0].y, kWaveCentreY - 20);
  EXPECT_EQ(points[1].y, kWaveCentreY);
}

TEST(VisibleWaveformPointsTest, StopsAtTheWaveformsEndAndStaysInTheValues) {
  std::vector<float> values(480, 1.0f);
  std::vector<WaveformPoint> points;
  VisibleWaveformPoints(values, 480, 0, 500, &points);
  EXPECT_EQ(points.size(), 479u);
  VisibleWaveformPoints({}, 480, 0, 500, &points);
  EXPECT_TRUE(points.empty());
  VisibleWaveformPoints(values, 0, 0, 500, &points);
  EXPECT_TRUE(points.empty());
}

TEST(VisibleWaveformPointsTest, SameNumberOfPointsForAnyLength) {
  std::vector<WaveformPoint> shortPoints;
  std::vector<WaveformPoint> longPoints;
  VisibleWaveformPoints(std::vector<float>(4000), WaveformWidth(60, 500), 0, 500, &shortPoints);
  VisibleWaveformPoints(std::vector<float>(240000), WaveformWidth(3600, 500), 30000, 500, &longPoints);
  EXPECT_EQ(shortPoints.size(), longPoints.size());
}

TEST(CursorAndScrollTest, CursorFollowsThePositionAndStopScrollsBeforeTheSelection) {
  EXPECT_EQ(CursorX(1500, 90, 45), 750);
  EXPECT_EQ(CursorX(1500, 0, 45), 0);
  EXPECT_EQ(StopScrollTarget(true, 250, 400), 240);
  EXPECT_EQ(StopScrollTarget(true, 400, 250), 240);
  EXPECT_EQ(StopScrollTarget(false, 250, 400), 0);
}
