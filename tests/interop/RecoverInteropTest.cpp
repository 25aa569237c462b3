// corvox recover on the real binary: a real-time recording killed outright is saved once under
// the next output name, and a recording that still runs is never touched.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "interop/RecordInterop.h"
#include "support/BackgroundProcess.h"

namespace {

class RecoverInterop : public RecordInterop {
 protected:
  void SetUp() override {
    RecordInterop::SetUp();
    m_env.erase("CORVOX_VIRTUAL_PACE");  // real time, as a microphone delivers
    MakeInput("in.wav", 44100, 2, 16, "60");
  }
  fs::path Music(const std::string& name) const { return m_dir / "home/Music/Vantro Audio" / name; }
};

TEST_F(RecoverInterop, AKilledRecordingIsRecoveredOnceUnderTheNextName) {
  {
    BackgroundProcess recording({CORVOX_BINARY, "record", "--format", "wav"}, m_env);
    ASSERT_TRUE(recording.WaitForError("Recording to ", std::chrono::seconds(20))) << recording.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    recording.Signal(SIGKILL);
    recording.Wait();
    ASSERT_EQ(recording.KilledBy(), SIGKILL) << recording.Err();
  }
  // A file of the name the recording was heading for turned up meanwhile.
  fs::create_directories(Music(""));
  { std::ofstream(Music("vantroaudio.wav")) << "not to be replaced"; }

  const ProcessResult recovered = Corvox({"recover"});
  ASSERT_EQ(recovered.exitCode, 0) << recovered.err;
  EXPECT_EQ(Trim(recovered.out), Music("vantroaudio001.wav").string());
  EXPECT_NE(recovered.err.find("was cut off"), std::string::npos) << recovered.err;
  EXPECT_EQ(std::string(ReadFile(Music("vantroaudio.wav")).data(), 18), "not to be replaced");

  const fs::path file = Music("vantroaudio001.wav");
  const double seconds = std::stod(SoxInfo("-D", file));
  EXPECT_GT(seconds, 1.5);
  EXPECT_LT(seconds, 4.0);
  const ProcessResult decoded =
      RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", file.string(), "-f", "null", "-"});
  EXPECT_EQ(decoded.exitCode, 0);
  EXPECT_EQ(decoded.err, "");

  const ProcessResult again = Corvox({"recover"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(Trim(again.err), "Nothing to recover.");
  EXPECT_EQ(std::distance(fs::directory_iterator(Music("")), {}), 2);
}

TEST_F(RecoverInterop, ARunningRecordingIsLeftToItsOwner) {
  BackgroundProcess recording({CORVOX_BINARY, "record", "--format", "wav"}, m_env);
  ASSERT_TRUE(recording.WaitForError("Recording to ", std::chrono::seconds(20))) << recording.Err();
  const ProcessResult second = Corvox({"recover"});
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("Another recording is in progress."), std::string::npos) << second.err;
  EXPECT_EQ(second.out, "");

  recording.Signal(SIGINT);
  EXPECT_EQ(recording.Wait(), 0) << recording.Err();
  EXPECT_TRUE(fs::exists(Music("vantroaudio.wav")));
  EXPECT_EQ(std::distance(fs::directory_iterator(Music("")), {}), 1);
  EXPECT_EQ(Trim(Corvox({"recover"}).err), "Nothing to recover.");
}

}  // namespace
