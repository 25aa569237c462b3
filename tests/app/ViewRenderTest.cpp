#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>

#include "app/AppRig.h"
#include "engine/CommandIds.h"
#include "engine/Messages.h"

namespace {

const QColor kBackground(0xCB, 0xE1, 0xFC);

bool IsBlack(QRgb pixel) { return qRed(pixel) == 0 && qGreen(pixel) == 0 && qBlue(pixel) == 0; }

// Columns of `row` whose colour is `colour` (within a small tolerance), as [first, last].
std::pair<int, int> Extent(const QImage& image, int row, const QColor& colour) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < image.width(); ++x) {
    const QColor seen = image.pixelColor(x, row);
    if (std::abs(seen.red() - colour.red()) <= 3 && std::abs(seen.green() - colour.green()) <= 3 &&
        std::abs(seen.blue() - colour.blue()) <= 3) {
      if (first < 0) first = x;
      last = x;
    }
  }
  return {first, last};
}

int BlackPixels(const QImage& image, int top, int bottom) {
  int count = 0;
  for (int y = top; y <= bottom; ++y)
    for (int x = 0; x < image.width(); ++x) count += IsBlack(image.pixel(x, y));
  return count;
}

class ViewRenderTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.StartRecordingWav()); }

  // The view as it is painted now, and the whole window kept for looking at.
  QImage Render(const std::string& name) {
    AppTestRig::Pump(std::chrono::milliseconds(30));
    AppTestRig::KeepArtifact(rig.Frame().grab().toImage(), name);
    return rig.View().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  AppRig rig;
};

}  // namespace

TEST_F(ViewRenderTest, ReadyShowsTheBackgroundAndTheRecorderBoxOnly) {
  const QImage image = Render("ready.png");
  EXPECT_EQ(image.pixelColor(3, 5), kBackground);
  EXPECT_EQ(image.pixelColor(image.width() - 3, 105), kBackground);
  // The box outline at y 108, from x 10 to the width less 10, in dark blue.
  const QColor outline = image.pixelColor(image.width() / 2, 108);
  EXPECT_LT(outline.red(), 90);
  EXPECT_GT(outline.blue(), 120);
  EXPECT_EQ(image.pixelColor(5, 108), kBackground);
  EXPECT_EQ(BlackPixels(image, 0, 106), 0);     // no waveform
  EXPECT_GT(BlackPixels(image, 112, 160), 20);  // "Recorder: Ready"
  EXPECT_EQ(rig.View().RecorderText(), "Recorder: Ready");
}

TEST_F(ViewRenderTest, RecordingShowsTheRunningTime) {
  rig.Frame().RunCommand(ID_RECORD);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().RecorderText().startsWith("Recording : "); }));
  const QImage image = Render("recording.png");
  EXPECT_EQ(image.pixelColor(3, 5), kBackground);
  EXPECT_GT(BlackPixels(image, 112, 160), 20);
  rig.Frame().RunCommand(ID_STOP);
  ASSERT_TRUE(rig.WaitForLoad());
}

TEST_F(ViewRenderTest, ALoadedFileShowsItsWaveformInsideTheBandAndTheSelection) {
  // Quiet enough to be drawn at full scale: the line stays near the centre, clear of row 21.
  rig.Document().SetCurrentFile(rig.WriteTone("tone.wav", 10, 8000, 1600));
  rig.Document().ProcessFile(false);
  ASSERT_TRUE(rig.WaitForLoad());
  QWidget* surface = rig.View().viewport();
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {120, 60});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {300, 60});
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {300, 60});
  const QImage image = Render("loaded-with-selection.png");

  EXPECT_EQ(BlackPixels(image, 0, 56), 0);
  EXPECT_EQ(BlackPixels(image, 64, 107), 0);
  // One vertex per column: every column but the last has the line in it (dark, under the band).
  int columns = 0;
  for (int x = 0; x < rig.View().TotalWidth() - 1; ++x)
    for (int y = 57; y <= 63; ++y)
      if (qGray(image.pixel(x, y)) < 60) {
        ++columns;
        break;
      }
  EXPECT_EQ(columns, rig.View().TotalWidth() - 1);

  // The band: the background under a translucent blue, exactly over the selection.
  const double alpha = 0x32 / 255.0;
  const QColor band(qRound(0xCB * (1 - alpha) + 0x30 * alpha), qRound(0xE1 * (1 - alpha) + 0x30 * alpha),
                    qRound(0xFC * (1 - alpha) + 0xF8 * alpha));
  EXPECT_EQ(Extent(image, 21, band), std::make_pair(120, 299));
  EXPECT_EQ(Extent(image, 19, band), std::make_pair(-1, -1));
  EXPECT_EQ(image.pixelColor(60, 21), kBackground);
}

TEST_F(ViewRenderTest, PlayingShowsTheCursor) {
  rig.Document().SetCurrentFile(rig.WriteTone("tone.wav", 4));
  rig.Document().ProcessFile(false);
  ASSERT_TRUE(rig.WaitForLoad());
  rig.Frame().RunCommand(ID_PLAY);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().CursorPosition() > 30; }));
  rig.Frame().RunCommand(ID_PAUSE);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().Player() == CCorvoxView::PlayerState::Paused; }));
  const QImage image = Render("playing.png");
  const int cursor = rig.View().CursorPosition();
  const QColor seen = image.pixelColor(cursor, 22);
  EXPECT_GT(seen.red(), seen.blue()) << cursor;  // rose over light blue
  EXPECT_EQ(image.pixelColor(cursor, 19), kBackground);
  EXPECT_EQ(image.pixelColor(cursor + 8, 22), kBackground);
}
