#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "engine/CommandIds.h"
#include "engine/DocumentFixture.h"
#include "engine/RecordingLock.h"
#include "platform/shell/FileOperations.h"

namespace {

using Messages = std::vector<std::pair<UINT, WPARAM>>;
using Enabled = std::vector<bool>;

// Record, Pause, Record, then Stop or the input's end, and the load of the recording.
const Messages kRecordPauseResumeStop = {{WM_RECORD_PROGRESS, 0}, {WM_RECORDER_PAUSED, 0}, {WM_RECORD_PROGRESS, 1},
                                         {WM_STATUS_READY, 0},    {WM_READING_STARTED, 0}, {WM_WAVEFORM_LOADED, 0}};

class CorvoxDocRecording : public DocumentFixture {
 protected:
  std::vector<std::string> KeptFiles() const {
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(TempFolder()))
      if (entry.path().filename().string().rfind("corvox_unsaved_", 0) == 0) kept.push_back(entry.path().string());
    return kept;
  }
};

TEST_F(CorvoxDocRecording, PauseAndResumeMakeOneSampleExactFileWithTheMessagesAndButtonsInOrder) {
  const std::vector<uint8_t> input = m_env.UseInputFile("in.wav", 44100, 2, 30000);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  EXPECT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio.wav");

  m_doc.OnRecord();
  EXPECT_EQ(Buttons(), (Enabled{false, false, true, true, false}));
  m_doc.OnPause();
  EXPECT_TRUE(m_doc.IsPaused());
  EXPECT_EQ(Buttons(), (Enabled{true, false, false, true, false}));
  m_doc.OnRecord();
  EXPECT_FALSE(m_doc.IsPaused());
  EXPECT_EQ(Buttons(), (Enabled{false, false, true, true, false}));
  // The input's end stops the recording as Stop would.
  ASSERT_TRUE(PumpUntil(WM_STATUS_READY));
  EXPECT_EQ(Buttons(), (Enabled{true, false, false, false, true}));
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_TRUE(m_frame.IsButtonEnabled(FrameButton::Play));

  EXPECT_EQ(WindowMessages(), kRecordPauseResumeStop);
  EXPECT_EQ(WavPayload(MusicFolder() + "/vantroaudio.wav"), input);
  EXPECT_NEAR(m_doc.Duration(), 30000.0 / 44100, 1e-6);
  EXPECT_EQ(m_doc.CurrentFile(), MusicFolder() + "/vantroaudio.wav");
  EXPECT_TRUE(m_doc.LastRecording().saved);
  EXPECT_TRUE(m_doc.LastRecording().complete);
  EXPECT_FALSE(PathFileExists(m_doc.TemporaryFile()));
  EXPECT_TRUE(m_boxes.Boxes().empty());
  // The next recording gets the next name.
  EXPECT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio001.wav");
}

// In real time, with a limit of recorded audio: the paused time is neither recorded nor
// counted, and the audio goes on where it paused.
TEST_F(CorvoxDocRecording, PausedTimeIsNeitherRecordedNorCountedAgainstTheLimit) {
  ScopedEnvironment paced("CORVOX_VIRTUAL_PACE", "1");
  const std::vector<uint8_t> input = m_env.UseInputFile("in.wav", 44100, 2, 88200);
  m_doc.SetRecordingLimit(0.6);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  const auto start = std::chrono::steady_clock::now();
  m_doc.OnRecord();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  m_doc.OnPause();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LT(m_doc.RecordedSeconds(), 0.6);
  m_doc.OnRecord();
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1100));
  EXPECT_EQ(WavPayload(m_doc.CurrentFile()), std::vector<uint8_t>(input.begin(), input.begin() + 26460 * 4));
}

TEST_F(CorvoxDocRecording, StopAfterAPauseSavesWhatWasRecordedBeforeAndAfterItWithoutAGap) {
  ScopedEnvironment paced("CORVOX_VIRTUAL_PACE", "1");
  const std::vector<uint8_t> input = m_env.UseInputFile("in.wav", 44100, 2, 88200);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  m_doc.OnRecord();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  m_doc.OnPause();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  m_doc.OnRecord();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  m_doc.OnStop();
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  const std::vector<uint8_t> payload = WavPayload(m_doc.CurrentFile());
  ASSERT_LE(payload.size(), input.size());
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), input.begin()));
  EXPECT_NEAR(m_doc.Duration(), 0.6, 0.2);
  EXPECT_NEAR(m_doc.Duration(), payload.size() / 176400.0, 1e-6);
  EXPECT_EQ(WindowMessages(), kRecordPauseResumeStop);
}

TEST_F(CorvoxDocRecording, ACaptureFailureStopsTheRecordingKeepsWhatWasWrittenAndSaysWhy) {
  m_env.UseInputFile("in.wav", 44100, 2, 88200);
  // After the first half-second buffer.
  ScopedEnvironment failing("CORVOX_VIRTUAL_FAIL_AFTER", "22050");
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  m_doc.OnRecord();
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_ICONERROR);
  EXPECT_EQ(m_boxes.Boxes()[0].text.rfind("The recording stopped early: The virtual capture device failed", 0), 0u)
      << m_boxes.Boxes()[0].text;
  EXPECT_FALSE(m_doc.IsRecording());
  EXPECT_TRUE(m_doc.LastRecording().saved);
  EXPECT_FALSE(m_doc.LastRecording().complete);
  EXPECT_EQ(WavPayload(m_doc.CurrentFile()).size(), 22050u * 4);
}

TEST_F(CorvoxDocRecording, AnMp3RecordingIsSavedAsRawMpegFramesAndLeavesNoTemporaryFiles) {
  m_env.UseInputFile("in.wav", 44100, 2, 44100);
  m_env.Settings().SetFormat(201);
  RecordToTheEnd();
  EXPECT_EQ(m_doc.CurrentFile(), MusicFolder() + "/vantroaudio.mp3");
  const std::vector<uint8_t> file = ScratchFolder::Read(m_doc.CurrentFile());
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1] & 0xE0, 0xE0);
  EXPECT_NEAR(m_doc.Duration(), 1.0, 0.1);
  EXPECT_FALSE(PathFileExists(TempFolder() + "/corvox_temp.mp3"));
  EXPECT_FALSE(PathFileExists(m_doc.TemporaryFile()));
}

// Names taken while the recording ran are never replaced: neither a numbered one nor the
// template's own name.
TEST_F(CorvoxDocRecording, ANameTakenWhileRecordingIsNeverReplaced) {
  m_env.UseInputFile("in.wav", 44100, 2, 4410);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  ASSERT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio.wav");
  std::ofstream(MusicFolder() + "/vantroaudio.wav") << "someone else's";
  m_doc.OnRecord();
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_EQ(m_doc.CurrentFile(), MusicFolder() + "/vantroaudio001.wav");

  ASSERT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio002.wav");
  std::ofstream(MusicFolder() + "/vantroaudio002.wav") << "another program's";
  m_messages.clear();
  m_doc.OnRecord();
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_EQ(m_doc.CurrentFile(), MusicFolder() + "/vantroaudio003.wav");
  std::ifstream first(MusicFolder() + "/vantroaudio.wav"), second(MusicFolder() + "/vantroaudio002.wav");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}), "someone else's");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(second), {}), "another program's");
}

TEST_F(CorvoxDocRecording, ANamedOutputReplacesARegularFileButNeverAnythingElse) {
  const std::vector<uint8_t> input = m_env.UseInputFile("in.wav", 44100, 2, 4410);
  const std::string fifo = m_env.Path("fifo.wav").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(m_doc.SetOutputFile(fifo));
  EXPECT_FALSE(m_doc.SetOutputFile(m_env.Path("music").string()));

  const std::string named = m_env.Path("named.wav").string();
  std::ofstream(named) << "old take";
  ASSERT_TRUE(m_doc.SetOutputFile(named));
  RecordToTheEnd();
  EXPECT_EQ(m_doc.CurrentFile(), named);
  EXPECT_EQ(WavPayload(named), input);
  // It held for that recording only.
  EXPECT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio.wav");
}

// A save that fails keeps the audio under a name of its own, says where, and the next
// recording starts from a fresh temporary file.
TEST_F(CorvoxDocRecording, AFailedSaveKeepsTheRecordingUnderAUniqueNameAndSaysWhere) {
  const std::vector<uint8_t> input = m_env.UseInputFile("in.wav", 44100, 2, 4410);
  for (int take = 0; take < 2; ++take) {
    ASSERT_TRUE(m_doc.SetOutputFile(m_env.Path("gone/take.wav").string()));
    RecordToTheEnd();
  }
  ASSERT_EQ(m_boxes.Boxes().size(), 2u);
  const std::vector<std::string> kept = KeptFiles();
  ASSERT_EQ(kept.size(), 2u);
  for (const std::string& file : kept) {
    EXPECT_EQ(WavPayload(file), input) << file;
    EXPECT_EQ(file.substr(file.size() - 4), ".wav");
  }
  const MessageBoxCapture::Box& box = m_boxes.Boxes()[1];
  EXPECT_EQ(box.flags, MB_ICONERROR);
  EXPECT_EQ(box.text.rfind("The recording could not be saved as " + m_env.Path("gone/take.wav").string(), 0), 0u);
  EXPECT_EQ(box.text.substr(box.text.find("\nThe recording is kept in ") + 26), m_doc.LastRecording().file);
  EXPECT_FALSE(m_doc.LastRecording().saved);
  EXPECT_EQ(m_doc.CurrentFile(), m_doc.LastRecording().file);
}

TEST_F(CorvoxDocRecording, ALeftoverWithAudioIsSetAsideAndOneWithoutIsDeleted) {
  m_env.UseInputFile("in.wav", 44100, 2, 4410);
  WavLayout layout;
  const std::vector<uint8_t> leftover = WavBytes(layout, PcmBytes(16, {1, 2, 3, 4}));
  ScratchFolder::Write(TempFolder() + "/corvox_temp.audio", leftover);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_ICONINFORMATION);
  const std::vector<std::string> kept = KeptFiles();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text, "A recording that was never saved is kept in " + kept[0]);
  EXPECT_EQ(ScratchFolder::Read(kept[0]), leftover);

  ScratchFolder::Write(TempFolder() + "/corvox_temp.audio", WavBytes(layout, {}));
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  EXPECT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_FALSE(PathFileExists(TempFolder() + "/corvox_temp.audio"));
  EXPECT_EQ(KeptFiles().size(), 1u);
}

TEST_F(CorvoxDocRecording, ASecondRecordingWhileOneRunsIsRefusedAndTouchesNothing) {
  m_env.UseInputFile("in.wav", 44100, 2, 4410);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  RecordingLock other;
  ASSERT_TRUE(other.Acquire(TempFolder()));
  std::ofstream(m_doc.TemporaryFile()) << "the other recording's audio";
  m_doc.OnRecord();
  EXPECT_FALSE(m_doc.IsRecording());
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text, "Could not start recording.\nAnother recording is in progress.");
  EXPECT_EQ(ScratchFolder::Read(m_doc.TemporaryFile()).size(), 27u);
  Drain();
  EXPECT_TRUE(WindowMessages().empty());
}

TEST_F(CorvoxDocRecording, AGraphThatCannotBeBuiltIsReportedAndRecordTriesAgain) {
  m_env.Settings().SetCurrentDevice(5);
  EXPECT_TRUE(FAILED(m_doc.SetupRecorder(true)));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text,
            "Could not set up the recorder with the chosen codec.\nThe selected codec may not be available to this "
            "appication.\nPlease select a different compressor and try again.");
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_OK);
  EXPECT_FALSE(m_doc.GetRecorder().IsBuilt());
  m_doc.OnRecord();
  EXPECT_EQ(m_boxes.Boxes().size(), 2u);
  EXPECT_FALSE(m_doc.IsRecording());
}

struct FakeDialog : ModalDialog {
  explicit FakeDialog(int answer, int* shown) : answer(answer), shown(shown) {}
  int DoModal() override {
    ++*shown;
    return answer;
  }
  int answer;
  int* shown;
};

TEST_F(CorvoxDocRecording, ADialogClosedWithOkPreparesTheRecorderAgainAndCancelLeavesIt) {
  int shown = 0;
  m_doc.SetDialog(ConfigurationDialog::ExportFormats, std::make_unique<FakeDialog>(IDOK, &shown));
  m_doc.SetDialog(ConfigurationDialog::General, std::make_unique<FakeDialog>(IDCANCEL, &shown));
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  m_env.Settings().SetFormat(202);
  m_doc.OnCommand(ID_GENERAL_SETTINGS);
  EXPECT_EQ(m_doc.ExportFormat(), 203);
  m_doc.OnCommand(ID_EXPORT_FORMATS);
  EXPECT_EQ(m_doc.ExportFormat(), 202);
  EXPECT_EQ(m_doc.OutputFile(), MusicFolder() + "/vantroaudio.ogg");
  EXPECT_EQ(shown, 2);
  m_doc.OnCommand(ID_AUDIO_HARDWARE);  // no dialog: nothing happens

  m_doc.OnCommand(ID_HELP);
  MSG help;
  ASSERT_TRUE(m_frame.Loop().GetMessage(help, std::chrono::milliseconds(0)));
  EXPECT_EQ(help.message, WM_COMMAND);
  EXPECT_EQ(help.wParam, ID_HELP_FINDER);
}

TEST_F(CorvoxDocRecording, CommandsOfDisabledButtonsAreNotCarriedOut) {
  m_env.UseInputFile("in.wav", 44100, 2, 4410);
  ASSERT_TRUE(SUCCEEDED(m_doc.SetupRecorder(true)));
  m_doc.OnCommand(ID_PAUSE);
  m_doc.OnCommand(ID_STOP);
  m_doc.OnCommand(ID_PLAY);
  Drain();
  EXPECT_TRUE(WindowMessages().empty());
  EXPECT_FALSE(m_doc.IsPaused());
}

}  // namespace
