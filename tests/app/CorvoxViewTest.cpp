#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>

#include "app/ViewTestRig.h"
#include "engine/Messages.h"

namespace {

using PlayerState = CCorvoxView::PlayerState;
using RecorderState = CCorvoxView::RecorderState;

WPARAM Seconds(const double& seconds) { return reinterpret_cast<WPARAM>(&seconds); }

void Deliver(CCorvoxView& view, UINT message, WPARAM wParam = 0) {
  view.Post(message, wParam, 0);
  QApplication::sendPostedEvents(&view);
}

}  // namespace

TEST(CorvoxViewTest, AShortFileFillsTheViewWithoutScrolling) {
  ViewTestRig rig;
  ASSERT_TRUE(rig.Load(rig.WriteTone("short.wav", 12.5)));
  EXPECT_EQ(rig.View().TotalWidth(), 480);
  EXPECT_EQ(rig.View().horizontalScrollBar()->maximum(), 0);
  EXPECT_TRUE(rig.View().WaveformLoaded());
  EXPECT_FALSE(rig.View().SelectionExists());
}

TEST(CorvoxViewTest, ALongFileShowsThirtySecondsPerWidth) {
  ViewTestRig rig;
  ASSERT_TRUE(rig.Load(rig.WriteTone("long.wav", 90, 2000)));
  EXPECT_EQ(rig.View().TotalWidth(), 1500);
  EXPECT_EQ(rig.View().horizontalScrollBar()->maximum(), 1000);
  EXPECT_EQ(rig.View().horizontalScrollBar()->pageStep(), 150);
  EXPECT_EQ(rig.View().horizontalScrollBar()->singleStep(), 15);
}

TEST(CorvoxViewTest, DraggingInTheBandSelectsAndAClickOutsideClearsIt) {
  ViewTestRig rig;
  ASSERT_TRUE(rig.Load(rig.WriteTone("tone.wav", 10)));
  rig.Drain();
  QWidget* surface = rig.View().viewport();
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {100, 60});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {250, 60});
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {250, 60});
  EXPECT_TRUE(rig.View().SelectionExists());
  EXPECT_EQ(rig.View().SelectionAnchor(), 100);
  EXPECT_EQ(rig.View().SelectionEnd(), 250);
  EXPECT_NEAR(rig.Document().SelectionStart(), 2.0, 1e-9);
  EXPECT_NEAR(rig.Document().SelectionLength(), 3.0, 1e-9);
  EXPECT_EQ(rig.Drain(WM_SELECTION_CHANGED), 2);

  // A drag backwards orders the ends.
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {400, 30});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {50, 30});
  EXPECT_NEAR(rig.Document().SelectionStart(), 1.0, 1e-9);
  EXPECT_NEAR(rig.Document().SelectionEnd(), 8.0, 1e-9);
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {50, 30});

  // Below the band: no new selection, the old one is gone.
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {300, 130});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {350, 130});
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {350, 130});
  EXPECT_FALSE(rig.View().SelectionExists());
  EXPECT_EQ(rig.Document().SelectionLength(), 0);
  EXPECT_GE(rig.Drain(WM_SELECTION_CHANGED), 1);
}

TEST(CorvoxViewTest, DraggingAgainstTheRightEdgeScrollsALineAfter400MsThenEvery50Ms) {
  ViewTestRig rig;
  ASSERT_TRUE(rig.Load(rig.WriteTone("long.wav", 90, 2000)));
  rig.View().activateWindow();
  ASSERT_TRUE(AppTestRig::PumpUntil([] { return QApplication::activeWindow() != nullptr; }));
  QWidget* surface = rig.View().viewport();
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {300, 60});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {495, 60});
  EXPECT_EQ(rig.View().Timers().PeriodMs(CCorvoxView::kScrollRightTimer), 400);
  EXPECT_FALSE(rig.View().Timers().IsRunning(CCorvoxView::kScrollLeftTimer));
  AppTestRig::Pump(std::chrono::milliseconds(250));
  EXPECT_EQ(rig.View().ScrollPosition(), 0);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().ScrollPosition() > 0; }));
  EXPECT_EQ(rig.View().ScrollPosition(), 15);  // one line: a tenth of a tenth of W
  EXPECT_EQ(rig.View().Timers().PeriodMs(CCorvoxView::kScrollRightTimer), 50);
  ASSERT_TRUE(
      AppTestRig::PumpUntil([&] { return rig.View().ScrollPosition() >= 60; }, std::chrono::milliseconds(2000)));

  // Leaving the edge zone stops it.
  AppTestRig::Mouse(surface, QEvent::MouseMove, {250, 60});
  EXPECT_FALSE(rig.View().Timers().IsRunning(CCorvoxView::kScrollRightTimer));
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {250, 60});
}

TEST(CorvoxViewTest, PlaybackStopScrollsBackBeforeTheSelection) {
  ViewTestRig rig;
  ASSERT_TRUE(rig.Load(rig.WriteTone("long.wav", 90, 2000)));
  QWidget* surface = rig.View().viewport();
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {250, 60});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {300, 60});
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {300, 60});

  // Playback runs past the visible width: the view turns a page.
  const double position = 29.9;  // x 498
  Deliver(rig.View(), WM_PLAY_PROGRESS, Seconds(position));
  EXPECT_EQ(rig.View().CursorPosition(), 498);
  EXPECT_EQ(rig.View().ScrollPosition(), 500);
  EXPECT_EQ(rig.View().Player(), PlayerState::Playing);
  EXPECT_EQ(rig.View().Recorder(), RecorderState::OutOfView);

  Deliver(rig.View(), WM_PLAYER_STOPPED, Seconds(position));
  EXPECT_EQ(rig.View().ScrollPosition(), 240);
  EXPECT_EQ(rig.View().PlayerText(), "Player Stopped: 00:00:00\nRecorder: Ready");
  EXPECT_EQ(rig.View().Recorder(), RecorderState::Ready);
}

TEST(CorvoxViewTest, StatusTextsFollowTheMessages) {
  ViewTestRig rig;
  EXPECT_EQ(rig.View().PlayerText(), "Player: Ready\nRecorder: Ready");
  const double recorded = 5.34;
  Deliver(rig.View(), WM_RECORD_PROGRESS, Seconds(recorded));
  EXPECT_EQ(rig.View().RecorderText(), "Recording : 00:00:5.3");
  EXPECT_EQ(rig.View().Recorder(), RecorderState::Recording);
  Deliver(rig.View(), WM_RECORDER_PAUSED, Seconds(recorded));
  EXPECT_EQ(rig.View().RecorderText(), "Recorder Paused : 00:00:5.3");
  Deliver(rig.View(), WM_STATUS_READY);
  EXPECT_EQ(rig.View().Recorder(), RecorderState::Ready);

  const double played = 75.25;
  Deliver(rig.View(), WM_PLAY_PROGRESS, Seconds(played));
  EXPECT_EQ(rig.View().PlayerText(), "Playing : 00:01:15.2");
  Deliver(rig.View(), WM_PLAYER_PAUSED, Seconds(played));
  EXPECT_EQ(rig.View().PlayerText(), "Player Paused : 00:01:15.2");
  EXPECT_EQ(rig.View().Player(), PlayerState::Paused);
}
