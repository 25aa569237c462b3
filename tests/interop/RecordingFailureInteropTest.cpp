// A recording that cannot go on, in every export format: a write that fails (a file-size limit
// stands in for a full disk) or a capture device that goes away (the virtual device failing on
// purpose, or a sound server of the test's own killed). Either way corvox says why,
// exits with 1, and saves a file that plays, holding what was recorded up to the failure.

#include <gtest/gtest.h>

#include <signal.h>

#include <thread>

#include "PlayableFile.h"
#include "RecordInterop.h"
#include "support/BackgroundProcess.h"
#include "support/PrivatePulseServer.h"

namespace {

struct FailureCase {
  const char* name;
  const char* format;
  const char* extension;
  std::vector<std::string> settings;  // a stored setting the format needs, empty: none
  // A file-size limit the recording passes within its first seconds.
  int fileSizeLimitBytes;
};

const std::vector<FailureCase> kCases = {
    {"wav", "wav", ".wav", {}, 200000},
    {"compressed wav", "wav", ".wav", {"WAV Configuration", "compressorIndex=0", "listPosition=0"}, 60000},
    {"mp3", "mp3", ".mp3", {}, 40000},
    {"ogg", "ogg", ".ogg", {}, 12000},
    {"wma", "wma", ".wma", {}, 40000},
};

class RecordingFailureInterop : public RecordInterop {
 protected:
  void SetUp() override {
    RecordInterop::SetUp();
    MakeInput("in.wav", 44100, 2, 16, "10");
  }

  void Store(const FailureCase& failure) {
    if (failure.settings.empty()) return;
    std::vector<std::string> set = {"settings", "set"};
    set.insert(set.end(), failure.settings.begin(), failure.settings.end());
    ASSERT_EQ(Corvox(set).exitCode, 0);
  }

  // The run ended early with `reason` and saved its output; the output's decoded seconds.
  double ExpectStoppedEarlyAndSaved(int exitCode, const std::string& err, const fs::path& output,
                                    const std::string& reason) {
    EXPECT_EQ(exitCode, 1) << err;
    EXPECT_NE(err.find("The recording stopped early: "), std::string::npos) << err;
    EXPECT_NE(err.find(reason), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(output)) << err;
    return fs::exists(output) ? ExpectPlayable(output) : 0.0;
  }
};

TEST_F(RecordingFailureInterop, AFullDiskStopsEveryFormatWithAPlayableFileOfWhatWasWritten) {
  for (const FailureCase& failure : kCases) {
    SCOPED_TRACE(failure.name);
    Store(failure);
    const fs::path output = m_dir / (std::string("full ") + failure.name + failure.extension);
    // Past the limit writes fail with EFBIG, as they would with ENOSPC on a full disk.
    const ProcessResult run =
        RunProcess({"prlimit", "--fsize=" + std::to_string(failure.fileSizeLimitBytes), "--", CORVOX_BINARY, "record",
                    "--format", failure.format, "--output", output.string()},
                   m_env);
    EXPECT_EQ(Trim(run.out), output.string());
    const double seconds = ExpectStoppedEarlyAndSaved(run.exitCode, run.err, output, "failed: File too large");
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 8.0);
    EXPECT_LE(fs::file_size(output), static_cast<uintmax_t>(failure.fileSizeLimitBytes));
  }
}

TEST_F(RecordingFailureInterop, ALostDeviceStopsEveryFormatWithAPlayableFileOfWhatWasCaptured) {
  m_env["CORVOX_VIRTUAL_FAIL_AFTER"] = "88200";
  for (const FailureCase& failure : kCases) {
    SCOPED_TRACE(failure.name);
    Store(failure);
    const fs::path output = m_dir / (std::string("lost ") + failure.name + failure.extension);
    const ProcessResult run = Corvox({"record", "--format", failure.format, "--output", output.string()});
    EXPECT_EQ(Trim(run.out), output.string());
    const double seconds =
        ExpectStoppedEarlyAndSaved(run.exitCode, run.err, output, "failed on purpose after 88200 frames");
    // Two seconds were captured; the encoders' first and last blocks may differ a little.
    EXPECT_NEAR(seconds, 2.0, 0.1);
  }
}

TEST_F(RecordingFailureInterop, AGoneSoundServerStopsEveryFormatWithAPlayableFileOfWhatWasCaptured) {
  for (const FailureCase& failure : kCases) {
    SCOPED_TRACE(failure.name);
    Store(failure);
    PrivatePulseServer server;
    if (server.Address().empty()) GTEST_SKIP() << "no pulseaudio program to start a sound server of the test's own";
    std::map<std::string, std::string> env = m_env;
    env["CORVOX_AUDIO"] = "pulse";
    env["PULSE_SERVER"] = server.Address();
    const fs::path output = m_dir / (std::string("gone ") + failure.name + failure.extension);
    BackgroundProcess recording({CORVOX_BINARY, "record", "--format", failure.format, "--output", output.string()},
                                env);
    ASSERT_TRUE(recording.WaitForError(kRecordingStarted, std::chrono::seconds(30))) << recording.Err();
    // A fresh server hands over its first capture fragment only after a second or two.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    server.Kill();
    const int exitCode = recording.Wait();
    const double seconds =
        ExpectStoppedEarlyAndSaved(exitCode, recording.Err(), output, "The sound server went away while recording");
    EXPECT_GT(seconds, 1.0) << recording.Err();
    EXPECT_LT(seconds, 4.0) << recording.Err();
  }
}

}  // namespace
