#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <filesystem>

#include "app/AppRig.h"
#include "app/FileInfoBar.h"
#include "app/FrameIds.h"
#include "app/LevelMeter.h"
#include "app/SelectionVolumeBar.h"
#include "app/TransportToolBar.h"
#include "engine/CommandIds.h"
#include "engine/Messages.h"
#include "waveform/TimeText.h"

namespace {

using RecorderPhase = CMainFrame::RecorderPhase;
using PlayerPhase = CMainFrame::PlayerPhase;

// Record, Play, Pause, Stop, Settings as the toolbar shows them.
std::string Buttons(CMainFrame& frame) {
  std::string states;
  for (UINT command : {ID_RECORD, ID_PLAY, ID_PAUSE, ID_STOP, ID_SETTINGS})
    states += frame.ToolBar()->Action(command)->isEnabled() ? '1' : '0';
  return states;
}

class RecordPlayCycleTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.StartRecordingWav()); }

  void Record(std::chrono::milliseconds length) {
    rig.Frame().RunCommand(ID_RECORD);
    ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.Frame().Recorder() == RecorderPhase::Recording; }));
    recording.start();
    AppTestRig::Pump(length);
  }

  // Seconds since the last Record took effect.
  double SecondsRecording() const { return recording.nsecsElapsed() * 1e-9; }

  QElapsedTimer recording;

  AppRig rig;
};

}  // namespace

TEST_F(RecordPlayCycleTest, RecordPauseResumeStopLoadSelectPlayPauseStop) {
  CMainFrame& frame = rig.Frame();
  EXPECT_EQ(Buttons(frame), "10001");
  EXPECT_EQ(rig.View().RecorderText(), "");

  Record(std::chrono::milliseconds(1150));
  EXPECT_EQ(Buttons(frame), "00110");
  EXPECT_EQ(frame.Timers().PeriodMs(kRecordingTimer), 1000);
  EXPECT_FALSE(frame.SelectionBar()->Volume()->isEnabled());
  EXPECT_TRUE(frame.Meter()->isVisible());
  // The virtual device's tone arrives.
  EXPECT_TRUE(AppTestRig::PumpUntil([&] { return frame.Meter()->PeakDecibels() > -40; }));
  EXPECT_EQ(frame.FileBar()->Status(), "Recording WAV audio");
  // The first tick came after about a second (timers may fire a little early).
  EXPECT_TRUE(rig.View().RecorderText().startsWith("Recording : 00:00:")) << rig.View().RecorderText().toStdString();
  EXPECT_GE(rig.View().RecorderText().mid(18).toDouble(), 0.9);

  const double firstPart = SecondsRecording();
  frame.RunCommand(ID_PAUSE);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.Recorder() == RecorderPhase::Paused; }));
  EXPECT_EQ(Buttons(frame), "10010");
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().RecorderText().startsWith("Recorder Paused : "); }));
  const double pausedAt = frame.RecordingSeconds();
  const QString pausedText = rig.View().RecorderText();
  AppTestRig::Pump(std::chrono::milliseconds(1100));
  EXPECT_EQ(frame.RecordingSeconds(), pausedAt);
  EXPECT_EQ(rig.View().RecorderText(), pausedText);

  Record(std::chrono::milliseconds(1100));  // resumes
  // The clock went on from where it paused, not from zero and not counting the pause.
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.RecordingSeconds() > pausedAt + 0.9; }));
  EXPECT_LT(frame.RecordingSeconds(), pausedAt + 2.2);

  const double recorded = firstPart + SecondsRecording();
  frame.RunCommand(ID_STOP);
  ASSERT_TRUE(rig.WaitForLoad());
  EXPECT_EQ(frame.Recorder(), RecorderPhase::Stopped);
  EXPECT_TRUE(frame.SelectionBar()->Volume()->isEnabled());
  EXPECT_FALSE(frame.Meter()->isVisible());
  const std::string saved = rig.Document().CurrentFile();
  EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
  EXPECT_EQ(frame.FileBar()->FileName().toStdString(), saved);
  // The paused second and more is not in it; capture buffers make the ends a little uneven.
  EXPECT_NEAR(rig.Document().Duration(), recorded, 0.6);
  EXPECT_EQ(frame.FileBar()->Duration().toStdString(), DurationText(rig.Document().Duration()));
  EXPECT_TRUE(frame.FileBar()->Duration().startsWith("00:0"));
  EXPECT_EQ(frame.FileBar()->Status(), "");
  EXPECT_EQ(Buttons(frame), "11001");
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return !frame.Timers().IsRunning(kRecordingTimer); }));
  EXPECT_EQ(frame.FileBar()->Status(), "");

  // Select the second half.
  QWidget* surface = rig.View().viewport();
  const int width = rig.View().TotalWidth();
  AppTestRig::Mouse(surface, QEvent::MouseButtonPress, {width / 2, 60});
  AppTestRig::Mouse(surface, QEvent::MouseMove, {width, 60});
  AppTestRig::Mouse(surface, QEvent::MouseButtonRelease, {width, 60});
  AppTestRig::Pump(std::chrono::milliseconds(20));
  EXPECT_EQ(frame.SelectionBar()->SelectionText(), "Selection: 00:01");

  frame.RunCommand(ID_PLAY);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.Player() == PlayerPhase::Playing; }));
  EXPECT_EQ(Buttons(frame), "00111");  // playback leaves Settings as it was
  EXPECT_EQ(frame.Timers().PeriodMs(kPlaybackTimer), 250);
  EXPECT_NEAR(frame.PlaybackDurationSeconds(), rig.Document().Duration(), 0.05);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().PlayerText().startsWith("Playing : "); }));
  EXPECT_GE(frame.PlaybackSeconds(), rig.Document().SelectionStart() - 0.01);

  frame.RunCommand(ID_PAUSE);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().PlayerText().startsWith("Player Paused : "); }));
  EXPECT_EQ(Buttons(frame), "01011");
  frame.RunCommand(ID_PLAY);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().PlayerText().startsWith("Playing : "); }));
  frame.RunCommand(ID_STOP);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().Player() == CCorvoxView::PlayerState::Stopped; }));
  EXPECT_EQ(rig.View().PlayerText(), "Player Stopped: 00:00:00\nRecorder: Ready");
  EXPECT_EQ(Buttons(frame), "11001");
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return !frame.HoldsPlaybackGraph(); }));
  EXPECT_TRUE(rig.Boxes().Boxes().empty());
}

TEST_F(RecordPlayCycleTest, PlaybackToTheEndStopsThePositionTimer) {
  const std::string tone = rig.WriteTone("short.wav", 0.6);
  rig.Document().SetCurrentFile(tone);
  rig.Frame().RunCommand(ID_PLAY);  // nothing loaded: Play is off
  EXPECT_EQ(rig.Frame().Player(), PlayerPhase::Idle);
  rig.Document().ProcessFile(false);
  ASSERT_TRUE(rig.WaitForLoad());
  rig.Frame().RunCommand(ID_PLAY);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.Frame().Player() == PlayerPhase::Playing; }));
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().Player() == CCorvoxView::PlayerState::Stopped; }));
  EXPECT_FALSE(rig.Frame().Timers().IsRunning(kPlaybackTimer));
  EXPECT_EQ(rig.Frame().Timers().PeriodMs(kStatusClearTimer), 7000);
}

TEST_F(RecordPlayCycleTest, ReadingBlinksAndAFailedLoadSaysSoUntilItIsCleared) {
  CMainFrame& frame = rig.Frame();
  frame.Post(WM_READING_STARTED, 0, 0);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.Timers().IsRunning(kReadingBlinkTimer); }));
  EXPECT_EQ(frame.Timers().PeriodMs(kReadingBlinkTimer), 300);
  ASSERT_TRUE(
      AppTestRig::PumpUntil([&] { return frame.FileBar()->Status() == "Reading audio file. Please wait ..."; }));
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.FileBar()->Status().isEmpty(); }));
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return !frame.FileBar()->Status().isEmpty(); }));

  const std::string junk = rig.Folder().File("junk.wav");
  rig.Folder().WriteText("junk.wav", "this is not audio");
  rig.Document().SetCurrentFile(junk);
  rig.Document().ProcessFile(false);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return frame.FileBar()->Status() == "Couldn't load the file."; }));
  EXPECT_FALSE(frame.Timers().IsRunning(kReadingBlinkTimer));
  EXPECT_EQ(frame.Timers().PeriodMs(kStatusClearTimer), 7000);
  EXPECT_FALSE(rig.Boxes().Boxes().empty());
}

TEST_F(RecordPlayCycleTest, ClosingTheWindowWhileRecordingSavesTheRecording) {
  Record(std::chrono::milliseconds(800));
  rig.Frame().RunCommand(ID_PAUSE);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.Frame().Recorder() == RecorderPhase::Paused; }));
  EXPECT_TRUE(rig.Frame().close());
  EXPECT_FALSE(rig.Document().IsRecording());
  const std::string saved = rig.Document().LastRecording().file;
  EXPECT_TRUE(rig.Document().LastRecording().saved);
  EXPECT_GT(rig.Document().LastRecording().seconds, 0.5);
  EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
  EXPECT_EQ(saved.rfind(rig.MusicFolder() + "/", 0), 0u) << saved;
}

TEST_F(RecordPlayCycleTest, TerminationSignalsCloseTheWindowAsAUserWould) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    Record(std::chrono::milliseconds(600));
    ASSERT_TRUE(rig.Frame().isVisible());
    std::raise(signal);
    ASSERT_TRUE(AppTestRig::PumpUntil([&] { return !rig.Frame().isVisible(); }));
    EXPECT_TRUE(rig.Document().LastRecording().saved);
    EXPECT_TRUE(std::filesystem::exists(rig.Document().LastRecording().file));
    rig.Frame().show();
    ASSERT_TRUE(rig.WaitForLoad());
  }
}

TEST_F(RecordPlayCycleTest, TheWindowKeepsItsSizeAndTheToolbarItsButtons) {
  CMainFrame& frame = rig.Frame();
  frame.resize(800, 700);
  frame.showMaximized();
  AppTestRig::Pump(std::chrono::milliseconds(30));
  EXPECT_EQ(frame.size(), QSize(520, 440));
  EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);

  QToolButton* settings = frame.ToolBar()->Button(ID_SETTINGS);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->popupMode(), QToolButton::MenuButtonPopup);
  QStringList entries;
  for (QAction* action : frame.ToolBar()->SettingsMenu()->actions()) entries << action->text();
  EXPECT_EQ(entries, QStringList({"Export Configuration", "Hardware Configuration", "General Configuration"}));
  EXPECT_EQ(frame.ToolBar()->Action(ID_RECORD)->toolTip(), "Record audio");
  EXPECT_EQ(frame.ToolBar()->Action(ID_RECORD)->statusTip(), "Record audio in the current export format");
  for (UINT command : {ID_RECORD, ID_PLAY, ID_PAUSE, ID_STOP, ID_SETTINGS, ID_HELP}) {
    QToolButton* button = frame.ToolBar()->Button(command);
    EXPECT_GE(button->width(), 76);
    EXPECT_LE(button->width(), 120);
    EXPECT_EQ(button->height(), 60);
  }
}

TEST_F(RecordPlayCycleTest, TooltipsOfTheBarsFollowTheSetting) {
  CMainFrame& frame = rig.Frame();
  AppTestRig::Pump(std::chrono::milliseconds(10));
  EXPECT_EQ(frame.FileBar()->DurationLabel()->toolTip(), "Audio file duration");
  EXPECT_EQ(frame.SelectionBar()->Volume()->toolTip(), "Playback volume control");
  rig.Settings().SetShowToolTips(false);
  frame.Post(WM_APPLY_TOOLTIPS, 0, 0);
  AppTestRig::Pump(std::chrono::milliseconds(10));
  EXPECT_TRUE(frame.FileBar()->DurationLabel()->toolTip().isEmpty());
  EXPECT_TRUE(frame.FileBar()->StatusLabel()->toolTip().isEmpty());
  EXPECT_TRUE(frame.SelectionBar()->SelectionLabel()->toolTip().isEmpty());
  EXPECT_TRUE(frame.SelectionBar()->Volume()->toolTip().isEmpty());
}

TEST_F(RecordPlayCycleTest, RecordRightAfterStoppingPlaybackLeavesTheGoneGraphAlone) {
  rig.Document().SetCurrentFile(rig.WriteTone("long.wav", 20));
  rig.Document().ProcessFile(false);
  ASSERT_TRUE(rig.WaitForLoad());
  rig.Frame().RunCommand(ID_PLAY);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return rig.View().PlayerText().startsWith("Playing : "); }));
  // Record tears the playback graph down before the position timer's next tick.
  rig.Frame().RunCommand(ID_STOP);
  ASSERT_TRUE(rig.Frame().Timers().IsRunning(kPlaybackTimer));
  Record(std::chrono::milliseconds(600));
  EXPECT_FALSE(rig.Document().Player().IsOpen());
  EXPECT_FALSE(rig.Frame().HoldsPlaybackGraph());
  EXPECT_FALSE(rig.Frame().Timers().IsRunning(kPlaybackTimer));
  EXPECT_EQ(rig.Frame().Player(), PlayerPhase::Idle);
  rig.Frame().RunCommand(ID_STOP);
  ASSERT_TRUE(rig.WaitForLoad());
}

TEST_F(RecordPlayCycleTest, TheSettingsArrowOpensTheMenuUnderTheButtonAndTheFaceDoesNothing) {
  QToolButton* settings = rig.Frame().ToolBar()->Button(ID_SETTINGS);
  rig.Frame().activateWindow();
  AppTestRig::Pump(std::chrono::milliseconds(20));
  QPoint shownAt;
  int entries = 0;
  QTimer::singleShot(50, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    shownAt = popup->pos();
    entries = static_cast<int>(popup->actions().size());
    popup->close();
  });
  const QPoint arrow(settings->width() - 4, settings->height() / 2);
  AppTestRig::Mouse(settings, QEvent::MouseButtonPress, arrow);
  AppTestRig::Mouse(settings, QEvent::MouseButtonRelease, arrow);
  EXPECT_EQ(entries, 3);
  EXPECT_EQ(shownAt, settings->mapToGlobal(QPoint(0, settings->height())));

  const QPoint face(settings->width() / 3, settings->height() / 2);
  AppTestRig::Mouse(settings, QEvent::MouseButtonPress, face);
  AppTestRig::Mouse(settings, QEvent::MouseButtonRelease, face);
  AppTestRig::Pump(std::chrono::milliseconds(20));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(rig.Boxes().Boxes().empty());
}
