#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/StatusLine.h"

TEST(StatusLine, PositionsShowTenthsAndHoursOnlyWhenThereAreAny) {
  EXPECT_EQ(FormatPosition(0), "00:00.0");
  EXPECT_EQ(FormatPosition(5.29), "00:05.2");
  EXPECT_EQ(FormatPosition(59.99), "00:59.9");
  EXPECT_EQ(FormatPosition(65), "01:05.0");
  EXPECT_EQ(FormatPosition(3725.5), "1:02:05.5");
  EXPECT_EQ(FormatPosition(-1), "00:00.0");
}

TEST(StatusLine, ThePeakMeterSpansSixtyDecibelsAndShowsSilenceAsMinusInfinity) {
  EXPECT_EQ(FormatPeakMeter(1.0), "  0.0 dBFS [" + std::string(30, '#') + "]");
  EXPECT_EQ(FormatPeakMeter(0.1), "-20.0 dBFS [" + std::string(20, '#') + std::string(10, '-') + "]");
  EXPECT_EQ(FormatPeakMeter(0.0005), "-66.0 dBFS [" + std::string(30, '-') + "]");
  EXPECT_EQ(FormatPeakMeter(0), " -inf dBFS [" + std::string(30, '-') + "]");
  EXPECT_EQ(FormatRecordStatus(1.5, true, 0).rfind("00:01.5  paused", 0), 0u);
}

TEST(StatusLine, NothingIsWrittenWhenTheStreamIsNoTerminal) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  {
    StatusLine line(fds[1]);
    EXPECT_FALSE(line.Shown());
    line.Show("00:01.0  recording");
  }
  close(fds[1]);
  char buffer[8];
  EXPECT_EQ(read(fds[0], buffer, sizeof buffer), 0);
  close(fds[0]);
}
