#include <gtest/gtest.h>

#include <QSlider>
#include <filesystem>

#include "app/AppRig.h"
#include "app/FileInfoBar.h"
#include "app/FrameIds.h"
#include "app/QtDialogSeams.h"
#include "app/SelectionVolumeBar.h"
#include "engine/RecordingMarker.h"
#include "engine/RecordingRecovery.h"
#include "engine/CommandIds.h"
#include "mixer/AudioHardwareCheck.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/shell/TempFolder.h"
#include "settings/ExportFormat.h"
#include "support/Process.h"

namespace {

constexpr int64_t kDay = 86400;

class NoMixerBackend : public VirtualAudioBackend {
 public:
  int MixerCount() override { return 0; }
};

bool UpdateCheckArmed(AppRig& rig) { return rig.Frame().Timers().IsRunning(kUpdateCheckTimer); }

}  // namespace

TEST(CorvoxAppTest, FirstRunMarksItselfAndSchedulesNoCheck) {
  AppRig rig;
  ASSERT_TRUE(rig.Start());
  uint32_t marker = 0;
  uint32_t lastChecked = 0;
  EXPECT_TRUE(rig.Settings().GetVirgin(marker));
  ASSERT_TRUE(rig.Settings().GetLastChecked(lastChecked));
  EXPECT_EQ(lastChecked, static_cast<uint32_t>(AppRig::kNow));
  EXPECT_TRUE(rig.Settings().GetAutoUpdate());
  EXPECT_FALSE(UpdateCheckArmed(rig));
  EXPECT_TRUE(rig.Frame().isVisible());
  EXPECT_EQ(rig.Frame().windowTitle(), "Vantro Audio Recorder");
}

TEST(CorvoxAppTest, TheUpdateCheckIsArmedOnlyAfterTenWholeDays) {
  for (const auto& [age, armed] :
       {std::pair{10 * kDay, false}, std::pair{11 * kDay - 1, false}, std::pair{11 * kDay, true}}) {
    AppRig rig;
    rig.Settings().SetVirgin(7);
    rig.Settings().SetLastChecked(static_cast<uint32_t>(AppRig::kNow - age));
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(UpdateCheckArmed(rig), armed) << age;
    if (armed) { EXPECT_EQ(rig.Frame().Timers().PeriodMs(kUpdateCheckTimer), 11928); }
  }
}

TEST(CorvoxAppTest, ACheckInTheFutureIsResetToNowAndNothingIsScheduled) {
  AppRig rig;
  rig.Settings().SetVirgin(7);
  rig.Settings().SetLastChecked(static_cast<uint32_t>(AppRig::kNow + 3 * kDay));
  ASSERT_TRUE(rig.Start());
  uint32_t lastChecked = 0;
  rig.Settings().GetLastChecked(lastChecked);
  EXPECT_EQ(lastChecked, static_cast<uint32_t>(AppRig::kNow));
  EXPECT_FALSE(UpdateCheckArmed(rig));
}

TEST(CorvoxAppTest, AutomaticChecksOffScheduleNothing) {
  AppRig rig;
  rig.Settings().RunStartupPass();
  rig.Settings().SetAutoUpdate(false);
  rig.Settings().SetVirgin(7);
  rig.Settings().SetLastChecked(0);
  ASSERT_TRUE(rig.Start());
  EXPECT_FALSE(UpdateCheckArmed(rig));
}

TEST(CorvoxAppTest, WithoutAMixerDeviceItSaysSoAndDoesNotRun) {
  AppRig rig;
  UseAudioBackend(std::make_shared<NoMixerBackend>());
  const bool started = rig.Start({});
  SelectAudioBackend("virtual");
  EXPECT_FALSE(started);
  EXPECT_EQ(rig.App().ExitCode(), 1);
  EXPECT_EQ(rig.App().MainFrame(), nullptr);
  ASSERT_EQ(rig.Boxes().Boxes().size(), 1u);
  EXPECT_EQ(rig.Boxes().Boxes()[0].text, kNoAudioHardwareMessage);
  EXPECT_EQ(rig.Boxes().Boxes()[0].flags, MB_ICONERROR);
}

TEST(CorvoxAppTest, AWrongCommandLineEndsWithUsage) {
  for (const QStringList& arguments :
       {QStringList{"--frobnicate"}, QStringList{"a.wav", "b.wav"}, QStringList{"--audio", "carrier-pigeon"}}) {
    AppRig rig;
    EXPECT_FALSE(rig.Start(arguments));
    EXPECT_EQ(rig.App().ExitCode(), 2);
  }
  SelectAudioBackend("virtual");
}

TEST(CorvoxAppTest, AFileNamedOnTheCommandLineIsOpened) {
  AppRig rig;
  const std::string tone = rig.WriteTone("named.wav", 2.5);
  ASSERT_TRUE(rig.Start({"--audio", "virtual", QString::fromStdString(tone)}));
  ASSERT_TRUE(rig.WaitForLoad());
  EXPECT_EQ(rig.Document().CurrentFile(), tone);
  EXPECT_NEAR(rig.Document().Duration(), 2.5, 0.01);
  EXPECT_TRUE(rig.View().WaveformLoaded());
  EXPECT_TRUE(rig.Frame().IsButtonEnabled(FrameButton::Play));
}

TEST(CorvoxAppTest, TheVolumeIsStoredAtOnceAndRestoredAtTheNextStart) {
  AppRig rig;
  ASSERT_TRUE(rig.Start());
  EXPECT_EQ(rig.Frame().SelectionBar()->Volume()->value(), 70);
  rig.Frame().SelectionBar()->Volume()->setValue(420);
  int stored = -1;
  rig.Settings().GetPlaybackVol(stored);
  EXPECT_EQ(stored, 420);
  EXPECT_EQ(rig.Document().Player().Volume(), -7);  // 20 log10(0.42), truncated
  rig.Restart();
  ASSERT_TRUE(rig.Start());
  EXPECT_EQ(rig.Frame().SelectionBar()->Volume()->value(), 420);
}

TEST(CorvoxAppTest, OpenFileAsksThroughTheDialogAndLoadsTheChoice) {
  AppRig rig;
  ASSERT_TRUE(rig.Start());
  const std::string tone = rig.WriteTone("chosen.wav", 1.5);
  OpenFileDialogOptions asked;
  const OpenFileDialogHandler previous =
      SetOpenFileDialogHandler([&](HWND owner, const OpenFileDialogOptions& options, std::string* path) {
        EXPECT_EQ(owner, static_cast<HWND>(&rig.Frame()));
        asked = options;
        *path = tone;
        return true;
      });
  rig.Frame().RunCommand(ID_FILE_OPEN);
  SetOpenFileDialogHandler(previous);
  EXPECT_EQ(asked.title, "Select an audio file");
  EXPECT_EQ(QtNameFilters(asked.filter).size(), 5);
  ASSERT_TRUE(rig.WaitForLoad());
  EXPECT_EQ(rig.Frame().FileBar()->FileName().toStdString(), tone);
  EXPECT_EQ(rig.Frame().FileBar()->Duration(), "00:01");
}

TEST(CorvoxAppTest, ARecordingACrashCutOffIsRecoveredAtStartAndTheWindowSaysWhere) {
  AppRig rig;
  std::string folder;
  ASSERT_TRUE(GetTempFolder(folder));
  // A finished tone stands in for what the crashed recording had written.
  std::filesystem::rename(rig.WriteTone("cut.wav", 1.5), TemporaryRecordingFile(folder));
  RecordingMarker marker = MakeRecordingMarker(kFormatWav, "8000 Hz, 1 channel, 16-bit", "");
  marker.pid = DeadProcessId();
  ASSERT_TRUE(WriteRecordingMarker(RecordingMarkerPath(folder), marker));

  ASSERT_TRUE(rig.Start());
  ASSERT_EQ(rig.Boxes().Boxes().size(), 1u);
  const MessageBoxCapture::Box& box = rig.Boxes().Boxes().front();
  EXPECT_EQ(box.flags & MB_ICONINFORMATION, MB_ICONINFORMATION);
  const std::string saved = rig.MusicFolder() + "/Vantro Audio/vantroaudio.wav";
  EXPECT_NE(box.text.find("Recovered 1.5"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find(saved), std::string::npos) << box.text;
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_FALSE(std::filesystem::exists(RecordingMarkerPath(folder)));

  rig.Restart();
  ASSERT_TRUE(rig.Start());
  EXPECT_EQ(rig.Boxes().Boxes().size(), 1u) << "recovered once only";
}
