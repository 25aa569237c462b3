#include <fstream>
#include <thread>

#include "engine/CommandIds.h"
#include "engine/DocumentFixture.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/ui/FileDialog.h"

namespace {

using Enabled = std::vector<bool>;
constexpr size_t kFrameBytes = 4;  // 16-bit stereo

class CorvoxDocPlayback : public DocumentFixture {
 protected:
  CorvoxDocPlayback() : m_output("CORVOX_VIRTUAL_OUTPUT", m_env.Path("played.wav").string()) {
    m_doc.EnableRecording(false);
  }

  // A 44100 Hz stereo file whose samples count up, so any slice is recognisable.
  std::string Ramp(size_t frames) {
    std::vector<int32_t> values;
    for (size_t i = 0; i < frames; ++i) {
      values.push_back(static_cast<int16_t>(i));
      values.push_back(static_cast<int16_t>(~i));
    }
    m_source = PcmBytes(16, values);
    return Write("ramp.wav", WavBytes(WavLayout{}, m_source));
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    ScratchFolder::Write(m_env.Path(name).string(), bytes);
    return m_env.Path(name).string();
  }
  std::vector<uint8_t> Frames(size_t first, size_t end) const {
    return {m_source.begin() + first * kFrameBytes, m_source.begin() + end * kFrameBytes};
  }

  bool Load(const std::string& file) {
    m_doc.SetCurrentFile(file);
    m_doc.ProcessFile(false);
    return PumpUntilAny({WM_WAVEFORM_LOADED, WM_LOAD_FAILED}) == WM_WAVEFORM_LOADED;
  }
  void PlayToTheEnd() {
    m_doc.OnPlay();
    ASSERT_TRUE(PumpUntil(WM_PLAYER_STOPPED));
  }
  // What the virtual device played in its last run.
  std::vector<uint8_t> Played() const {
    const std::vector<uint8_t> file = ScratchFolder::Read(m_env.Path("played.wav"));
    return file.size() < 44 ? std::vector<uint8_t>() : std::vector<uint8_t>(file.begin() + 44, file.end());
  }

  ScopedEnvironment m_output;
  std::vector<uint8_t> m_source;
};

TEST_F(CorvoxDocPlayback, ASelectionPlaysExactlyItsFramesAndOnePastTheEndPlaysToTheEnd) {
  ASSERT_TRUE(Load(Ramp(88200)));
  EXPECT_DOUBLE_EQ(m_doc.Duration(), 2.0);
  m_doc.SetSelection(0.25, 0.5);
  EXPECT_DOUBLE_EQ(m_doc.SelectionLength(), 0.5);
  m_messages.clear();
  PlayToTheEnd();
  EXPECT_EQ(Played(), Frames(22050, 44100));
  ASSERT_GE(m_messages.size(), 2u);
  EXPECT_EQ(m_messages.front().message, WM_PLAY_PROGRESS);
  EXPECT_EQ(m_messages.front().wParam, reinterpret_cast<WPARAM>(m_doc.Player().Graph()));
  EXPECT_EQ(Buttons(), (Enabled{true, true, false, false, true}));
  EXPECT_TRUE(m_doc.IsPlayingMode());

  m_doc.SetSelection(0.75, 1.5);
  EXPECT_DOUBLE_EQ(m_doc.SelectionEnd(), 2.0);
  PlayToTheEnd();
  EXPECT_EQ(Played(), Frames(66150, 88200));
  EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(CorvoxDocPlayback, PauseThenPlayContinuesWherePlaybackPausedEvenAfterTheSelectionChanged) {
  ScopedEnvironment paced("CORVOX_VIRTUAL_PACE", "1");
  ASSERT_TRUE(Load(Ramp(44100)));
  m_doc.OnPlay();
  EXPECT_EQ(Buttons(), (Enabled{false, false, true, true, true}));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  m_doc.OnPause();
  EXPECT_TRUE(m_doc.IsPaused());
  EXPECT_EQ(Buttons(), (Enabled{false, true, false, true, true}));
  m_doc.SetSelection(0.1, 0.2);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  m_messages.clear();
  PlayToTheEnd();
  EXPECT_EQ(m_messages.front().message, WM_PLAY_PROGRESS);
  // Every frame once: nothing heard twice, nothing skipped.
  EXPECT_EQ(Played(), Frames(0, 44100));
}

TEST_F(CorvoxDocPlayback, StopThenPlayStartsAgainAtTheSelectionsStart) {
  ScopedEnvironment paced("CORVOX_VIRTUAL_PACE", "1");
  ASSERT_TRUE(Load(Ramp(44100)));
  m_doc.SetSelection(0.25, 0.75);
  m_doc.OnPlay();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  m_doc.OnStop();
  EXPECT_FALSE(m_doc.IsPaused());
  EXPECT_EQ(Buttons(), (Enabled{true, true, false, false, true}));
  Drain();
  PlayToTheEnd();
  EXPECT_EQ(Played(), Frames(11025, 33075));
}

TEST_F(CorvoxDocPlayback, TheVolumeSliderScalesInDecibelsAndItsBottomIsMinusSixty) {
  // A quarter second: the range's 32-bit float seconds hold it exactly.
  std::vector<int32_t> values;
  for (int i = 0; i < 11025; ++i) values.insert(values.end(), {10000 + i, -20000 - i});
  ASSERT_TRUE(Load(Write("loud.wav", WavBytes(WavLayout{}, PcmBytes(16, values)))));
  for (const auto& [position, gain] : {std::pair{1000, 1.0}, {100, 0.1}, {1, 0.001}, {0, 0.001}}) {
    m_doc.SetPlaybackVolume(position);
    PlayToTheEnd();
    const std::vector<uint8_t> played = Played();
    ASSERT_EQ(played.size(), values.size() * 2);
    for (size_t i = 0; i < values.size(); ++i) {
      const auto sample = static_cast<int16_t>(played[2 * i] | played[2 * i + 1] << 8);
      EXPECT_NEAR(sample, values[i] * gain, 1.0) << "position " << position << ", sample " << i;
    }
  }
  EXPECT_EQ(m_doc.Player().Volume(), -60);
}

TEST_F(CorvoxDocPlayback, RecordTearsThePlayerDownFirst) {
  m_doc.EnableRecording(true);
  m_env.UseInputFile("in.wav", 44100, 2, 4410);
  ASSERT_TRUE(Load(Ramp(44100)));
  ASSERT_TRUE(m_doc.Player().IsOpen());
  m_doc.OnRecord();
  EXPECT_FALSE(m_doc.Player().IsOpen());
  EXPECT_FALSE(m_doc.IsPlayingMode());
  ASSERT_TRUE(PumpUntil(WM_WAVEFORM_LOADED));
  EXPECT_TRUE(m_doc.Player().IsOpen());
}

// Ogg is known by the file's first bytes, not by its name.
TEST_F(CorvoxDocPlayback, OggVorbisGoesThroughTheSystemsOwnSplitterAndDecoderWhateverItsName) {
  const auto hasSplitter = [this] {
    std::shared_ptr<IBaseFilter> splitter;
    return m_doc.Player().Graph()->FindFilterByName("Splitter", &splitter) == S_OK;
  };
  m_doc.EnableRecording(true);
  m_env.Settings().SetFormat(202);
  m_env.UseInputFile("in.wav", 44100, 2, 22050);
  RecordToTheEnd();
  ASSERT_EQ(m_doc.CurrentFile(), MusicFolder() + "/vantroaudio.ogg");
  const std::string vorbis = Write("vorbis.wav", ScratchFolder::Read(m_doc.CurrentFile()));
  ASSERT_TRUE(Load(vorbis));
  EXPECT_NEAR(m_doc.Duration(), 0.5, 1e-6);
  EXPECT_TRUE(hasSplitter());
  PlayToTheEnd();
  EXPECT_EQ(Played().size(), 22050u * kFrameBytes);

  ASSERT_TRUE(Load(Write("pcm.ogg", ScratchFolder::Read(Ramp(4410)))));
  EXPECT_FALSE(hasSplitter());
  PlayToTheEnd();
  EXPECT_EQ(Played(), Frames(0, 4410));
}

TEST_F(CorvoxDocPlayback, FilesThatCannotBeReadEndInTheLoadFailurePath) {
  m_doc.EnableRecording(true);
  const std::vector<uint8_t> wav = WavBytes(WavLayout{}, PcmBytes(16, std::vector<int32_t>(2000, 5)));
  const std::vector<std::string> files = {
      Write("empty.wav", {}),
      Write("text.wav", std::vector<uint8_t>(100, 'x')),
      Write("ogg.wav", {'O', 'g', 'g', 'S', 0, 2, 0, 0}),
      Write("cut.wav", {wav.begin(), wav.begin() + 30}),
      m_env.Path("missing.wav").string(),
  };
  for (const std::string& file : files) {
    m_messages.clear();
    const size_t boxes = m_boxes.Boxes().size();
    m_doc.SetCurrentFile(file);
    m_doc.ProcessFile(false);
    ASSERT_TRUE(PumpUntil(WM_LOAD_FAILED)) << file;
    ASSERT_EQ(m_boxes.Boxes().size(), boxes + 1) << file;
    EXPECT_EQ(m_boxes.Boxes().back().text, "Couldn't process music file " + file + ".\nAborting.");
    EXPECT_EQ(m_boxes.Boxes().back().flags, MB_ICONERROR);
    EXPECT_EQ(m_messages.front().message, WM_READING_STARTED);
    EXPECT_FALSE(m_doc.Player().IsOpen());
    // A load always ends with the recorder prepared for the next recording.
    EXPECT_TRUE(m_doc.GetRecorder().IsBuilt());
  }
}

TEST_F(CorvoxDocPlayback, AFileWithoutAudioIsReportedAsInvalid) {
  ASSERT_FALSE(Load(Write("silent.wav", WavBytes(WavLayout{}, {}))));
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text,
            "The recorded file is invalid or locked.\nPlease try to load the recorded file manually.\nIf that fails, "
            "please try another codec format.");
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_OK);
  EXPECT_EQ(m_messages.back().message, WM_LOAD_FAILED);
}

TEST_F(CorvoxDocPlayback, TheOpenCommandAsksForAFileAndRemembersItsFolder) {
  const std::string ramp = Ramp(4410);
  std::vector<OpenFileDialogOptions> asked;
  std::string answer;
  const OpenFileDialogHandler previous =
      SetOpenFileDialogHandler([&](HWND owner, const OpenFileDialogOptions& options, std::string* path) {
        EXPECT_EQ(owner, &m_frame);
        asked.push_back(options);
        *path = answer;
        return !answer.empty();
      });
  m_doc.OnCommand(ID_FILE_OPEN);
  Drain();
  EXPECT_TRUE(m_messages.empty());
  answer = ramp;
  m_doc.OnCommand(ID_FILE_OPEN);
  const bool loaded = PumpUntil(WM_WAVEFORM_LOADED);
  SetOpenFileDialogHandler(previous);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].title, "Select an audio file");
  EXPECT_EQ(asked[0].filter,
            "Audio Files (*.wma, *.mp3, *.ogg, *.wav)|*.wma;*.mp3;*.ogg;*.wav;|WMA Files (*.wma)|*.wma|MP3 Files "
            "(*.mp3)|*.mp3|OGG Files (*.ogg)|*.ogg|WAV Files (*.wav)|*.wav||");
  EXPECT_EQ(asked[0].initialFolder, MusicFolder() + "/vantroaudio.wav");
  EXPECT_EQ(asked[0].maxPathChars, 16000u);
  EXPECT_EQ(m_doc.CurrentFile(), ramp);
  std::string folder;
  m_env.Settings().GetOpenDirectory(folder);
  EXPECT_EQ(folder, m_env.Path("ramp.wav").parent_path().string());
}

// A machine whose sound system cannot play: files still load, playing them says so.
class SilentBackend : public VirtualAudioBackend {
 public:
  HRESULT PlaybackCaps(AudioDeviceCaps*) override {
    SetErrorInfo("No sound card can play.");
    return E_FAIL;
  }
  HRESULT OpenPlayback(const WAVEFORMATEX&, std::unique_ptr<AudioPlaybackStream>*) override {
    SetErrorInfo("No sound card can play.");
    return E_FAIL;
  }
};

TEST_F(CorvoxDocPlayback, AFileThatCannotBePlayedSaysSoWhenPlayed) {
  UseAudioBackend(std::make_shared<SilentBackend>());
  const bool loaded = Load(Ramp(4410));
  const std::string failure = m_doc.PlayerFailure();
  m_doc.OnPlay();
  SelectAudioBackend("virtual");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(failure.rfind("The file cannot be played.\n", 0), 0u) << failure;
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text, "An error occured while playing.");
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_ICONERROR);
  EXPECT_FALSE(m_doc.IsPlayingMode());
  EXPECT_EQ(Buttons(), (Enabled{true, true, false, false, true}));
}

TEST_F(CorvoxDocPlayback, APlaybackAbortIsReportedAndStopsPlayback) {
  ASSERT_TRUE(Load(Ramp(4410)));
  m_doc.OnPlay();
  m_doc.OnPlayerEvent(-1);
  ASSERT_EQ(m_boxes.Boxes().size(), 1u);
  EXPECT_EQ(m_boxes.Boxes()[0].text, "An error occured while playing.");
  EXPECT_EQ(m_boxes.Boxes()[0].flags, MB_ICONERROR);
  EXPECT_EQ(Buttons(), (Enabled{true, true, false, false, true}));
}

}  // namespace
