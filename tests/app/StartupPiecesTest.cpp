#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QTimerEvent>

#include "app/AppTestRig.h"
#include "app/QtDialogSeams.h"
#include "app/RecordingStatus.h"
#include "app/Stopwatch.h"
#include "app/UpdateSchedule.h"
#include "app/WindowMessageEvent.h"
#include "app/WindowTimers.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNow = 1'700'000'000;

}  // namespace

TEST(UpdateScheduleTest, MoreThanTenWholeDaysArmTheCheck) {
  EXPECT_EQ(PlanUpdateCheck(kNow - 10 * kDay, kNow), UpdateCheckPlan::None);
  EXPECT_EQ(PlanUpdateCheck(kNow - 11 * kDay + 1, kNow), UpdateCheckPlan::None);
  EXPECT_EQ(PlanUpdateCheck(kNow - 11 * kDay, kNow), UpdateCheckPlan::Schedule);
  EXPECT_EQ(PlanUpdateCheck(0, kNow), UpdateCheckPlan::Schedule);
  EXPECT_EQ(PlanUpdateCheck(kNow, kNow), UpdateCheckPlan::None);
}

TEST(UpdateScheduleTest, ACheckInTheFutureResetsTheClock) {
  // Less than a day ahead truncates to 0 days.
  EXPECT_EQ(PlanUpdateCheck(kNow + kDay - 1, kNow), UpdateCheckPlan::None);
  EXPECT_EQ(PlanUpdateCheck(kNow + kDay, kNow), UpdateCheckPlan::ResetClock);
  // The stored value is unsigned 32-bit: widening keeps it positive.
  EXPECT_EQ(PlanUpdateCheck(0xFFFFFFFFu, kNow), UpdateCheckPlan::ResetClock);
}

TEST(StopwatchTest, PauseKeepsTheTotalAndStartClearsIt) {
  Stopwatch::Clock::time_point now{};
  Stopwatch clock([&now] { return now; });
  clock.Start();
  now += std::chrono::milliseconds(1500);
  EXPECT_DOUBLE_EQ(clock.ReadSeconds(), 1.5);
  clock.Pause();
  now += std::chrono::seconds(10);
  EXPECT_DOUBLE_EQ(clock.ReadSeconds(), 1.5);
  clock.Resume();
  now += std::chrono::milliseconds(500);
  EXPECT_DOUBLE_EQ(clock.ReadSeconds(), 2.0);
  EXPECT_TRUE(clock.IsRunning());
  clock.Start();
  now += std::chrono::milliseconds(250);
  EXPECT_DOUBLE_EQ(clock.ReadSeconds(), 0.25);
}

TEST(StopwatchTest, PausingTwiceOrResumingARunningClockChangesNothing) {
  Stopwatch::Clock::time_point now{};
  Stopwatch clock([&now] { return now; });
  clock.Start();
  now += std::chrono::seconds(2);
  clock.Resume();
  now += std::chrono::seconds(1);
  clock.Pause();
  clock.Pause();
  EXPECT_DOUBLE_EQ(clock.ReadSeconds(), 3.0);
}

TEST(QtDialogSeamsTest, OpenDialogFiltersBecomeQtNameFilters) {
  const QStringList filters = QtNameFilters(
      "Audio Files (*.wma, *.mp3, *.ogg, *.wav)|*.wma;*.mp3;*.ogg;*.wav;|WMA Files (*.wma)|*.wma|MP3 Files "
      "(*.mp3)|*.mp3|OGG Files (*.ogg)|*.ogg|WAV Files (*.wav)|*.wav||");
  ASSERT_EQ(filters.size(), 5);
  EXPECT_EQ(filters[0], "Audio Files (*.wma, *.mp3, *.ogg, *.wav) (*.wma *.mp3 *.ogg *.wav)");
  EXPECT_EQ(filters[4], "WAV Files (*.wav) (*.wav)");
  EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(QtDialogSeamsTest, MessageBoxShowsTheTextWithTheIconTheFlagsAskFor) {
  AppTestRig rig;
  for (const auto& [flags, icon] :
       {std::pair{MB_ICONERROR, QMessageBox::Critical}, std::pair{MB_ICONWARNING, QMessageBox::Warning},
        std::pair{MB_OK, QMessageBox::NoIcon}}) {
    QMessageBox::Icon seen = QMessageBox::Information;
    QString text;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = box->icon();
      text = box->text();
      box->accept();
    });
    EXPECT_EQ(ShowQtMessageBox(nullptr, "Could not start recording.", flags), IDOK);
    EXPECT_EQ(seen, icon);
    EXPECT_EQ(text, "Could not start recording.");
  }
}

namespace {

class TimerOwner : public QObject {
 public:
  WindowTimers timers{*this};
  std::vector<int> fired;

 protected:
  void timerEvent(QTimerEvent* event) override {
    if (const int id = timers.IdOf(*event)) fired.push_back(id);
  }
};

class MessageReceiver : public QObject {
 public:
  std::vector<std::tuple<UINT, WPARAM, LPARAM, int>> received;

 protected:
  void customEvent(QEvent* event) override {
    if (const WindowMessageEvent* message = WindowMessageEvent::From(event))
      received.emplace_back(message->Message(), message->WParam(), message->LParam(), event->type());
  }
};

}  // namespace

TEST(WindowTimersTest, FixedIdsRestartWithANewPeriodAndStopForGood) {
  AppTestRig rig;
  TimerOwner owner;
  owner.timers.Set(1001, 300);
  owner.timers.Set(1001, 20);
  EXPECT_EQ(owner.timers.PeriodMs(1001), 20);
  owner.timers.Set(4, 40);
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return owner.fired.size() >= 3; }));
  EXPECT_EQ(owner.fired.front(), 1001);
  owner.timers.Kill(1001);
  owner.timers.Kill(4);
  owner.fired.clear();
  AppTestRig::Pump(std::chrono::milliseconds(80));
  EXPECT_TRUE(owner.fired.empty());
  EXPECT_FALSE(owner.timers.IsRunning(4));
  EXPECT_EQ(owner.timers.PeriodMs(4), 0);
}

TEST(WindowMessageEventTest, PostedMessagesArriveWithTheirNumbersFromAnyThread) {
  AppTestRig rig;
  MessageReceiver receiver;
  std::thread poster([&] {
    PostWindowMessage(&receiver, 1637, 1, 0);
    PostWindowMessage(&receiver, 0x0111, 57670, 5);
  });
  poster.join();
  ASSERT_TRUE(AppTestRig::PumpUntil([&] { return receiver.received.size() == 2; }));
  EXPECT_EQ(receiver.received[0], std::make_tuple(UINT{1637}, WPARAM{1}, LPARAM{0}, 1637));
  EXPECT_EQ(std::get<0>(receiver.received[1]), 0x0111u);
  EXPECT_EQ(std::get<1>(receiver.received[1]), 57670u);
  EXPECT_GE(std::get<3>(receiver.received[1]), QEvent::User);
}

TEST(RecordingStatusTest, NamesTheFormatAndCountsDropoutsOnlyWhenThereAreAny) {
  EXPECT_EQ(RecordingStatusText(200, 0), "Recording WMA audio");
  EXPECT_EQ(RecordingStatusText(201, 0), "Recording MP3 audio");
  EXPECT_EQ(RecordingStatusText(202, 1), "Recording Ogg audio (1 dropout)");
  EXPECT_EQ(RecordingStatusText(203, 12), "Recording WAV audio (12 dropouts)");
}
