// Recordings made with corvox, read by tools we did not write (sox, ffprobe).

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "RecordInterop.h"
#include "support/BackgroundProcess.h"

namespace {

TEST_F(RecordInterop, WavRecordingOfAFileIsSampleExactAndReadCleanlyBySoxAndFfprobe) {
  const fs::path input = MakeInput("in.wav", 44100, 2, 16, "2.5");
  const fs::path output = m_dir / "take.wav";
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Trim(run.out), output.string());

  EXPECT_EQ(SoxInfo("-r", output), "44100");
  EXPECT_EQ(SoxInfo("-c", output), "2");
  EXPECT_EQ(SoxInfo("-b", output), "16");
  EXPECT_EQ(SoxInfo("-s", output), "110250");

  const ProcessResult probe = RunProcess({"ffprobe", "-v", "warning", "-show_entries",
                                          "stream=codec_name,sample_rate,channels,bits_per_sample,duration_ts", "-of",
                                          "default=noprint_wrappers=1", output.string()});
  ASSERT_EQ(probe.exitCode, 0);
  EXPECT_EQ(probe.err, "");
  EXPECT_EQ(probe.out, "codec_name=pcm_s16le\nsample_rate=44100\nchannels=2\nbits_per_sample=16\nduration_ts=110250\n");

  // The payload is the input's audio, byte for byte.
  const std::vector<char> in = ReadFile(input), out = ReadFile(output);
  ASSERT_GE(in.size(), 441000u);
  ASSERT_GE(out.size(), 441000u);
  EXPECT_TRUE(std::equal(in.end() - 441000, in.end(), out.end() - 441000));
}

TEST_F(RecordInterop, StoredDeviceFormatIsRecordedWithChannelsAndSampleSizeConverted) {
  MakeInput("in.wav", 22050, 2, 16, "1");
  ASSERT_EQ(
      Corvox({"settings", "set", "Device Settings 0", "samplesPerSec=22050", "channels=1", "bitsPerSample=8"}).exitCode,
      0);
  const fs::path output = m_dir / "mono.wav";
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(SoxInfo("-r", output), "22050");
  EXPECT_EQ(SoxInfo("-c", output), "1");
  EXPECT_EQ(SoxInfo("-b", output), "8");
  EXPECT_EQ(SoxInfo("-s", output), "22050");
}

TEST_F(RecordInterop, InputAtAnotherRateIsRefusedWithAClearMessage) {
  MakeInput("in48.wav", 48000, 2, 16, "0.5");
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", (m_dir / "x.wav").string()});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("48000"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(m_dir / "x.wav"));
}

TEST_F(RecordInterop, RecordingsAreNumberedInTheMusicFolderWithoutReplacingEarlierOnes) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  const ProcessResult first = Corvox({"record", "--format", "wav"});
  const ProcessResult second = Corvox({"record"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  ASSERT_EQ(second.exitCode, 0) << second.err;
  const fs::path folder = m_dir / "home" / "Music" / "Vantro Audio";
  EXPECT_EQ(Trim(first.out), (folder / "vantroaudio.wav").string());
  EXPECT_EQ(Trim(second.out), (folder / "vantroaudio001.wav").string());
  EXPECT_TRUE(fs::exists(folder / "vantroaudio.wav"));
}

TEST_F(RecordInterop, BadChoicesFailWithAMessageAndNoFile) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  const ProcessResult unknownFormat = Corvox({"record", "--format", "flac"});
  EXPECT_EQ(unknownFormat.exitCode, 2);
  EXPECT_NE(unknownFormat.err.find("flac"), std::string::npos);

  ASSERT_EQ(Corvox({"settings", "set", "Current Device", "5"}).exitCode, 0);
  const ProcessResult noDevice = Corvox({"record", "--format", "wav", "--output", (m_dir / "d.wav").string()});
  EXPECT_EQ(noDevice.exitCode, 1);
  EXPECT_NE(noDevice.err.find("Could not set up the recorder"), std::string::npos) << noDevice.err;
  EXPECT_FALSE(fs::exists(m_dir / "d.wav"));
}

TEST_F(RecordInterop, UnwritableOutputFolderKeepsTheRecordingUnderAnUnsavedName) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  const ProcessResult run =
      Corvox({"record", "--format", "wav", "--output", (m_dir / "no" / "such" / "x.wav").string()});
  EXPECT_EQ(run.exitCode, 1);
  const size_t at = run.err.find("kept in ");
  ASSERT_NE(at, std::string::npos) << run.err;
  const fs::path kept = Trim(run.err.substr(at + 8));
  EXPECT_NE(kept.filename().string().find("corvox_unsaved_"), std::string::npos) << kept;
  EXPECT_EQ(SoxInfo("-s", kept), "8820");
}

TEST_F(RecordInterop, AFailingWriteEndsTheRecordingAndKeepsWhatWasWritten) {
  MakeInput("in.wav", 44100, 2, 16, "5");
  const fs::path output = m_dir / "limited.wav";
  // A file-size limit makes the writes past 200000 bytes fail, as a full disk would.
  std::vector<std::string> args = {"prlimit", "--fsize=200000", "--",           CORVOX_BINARY, "record", "--format",
                                   "wav",     "--output",       output.string()};
  const ProcessResult run = RunProcess(args, m_env);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("The recording stopped early: Writing \""), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("corvox_temp.audio\" failed: "), std::string::npos) << run.err;
  EXPECT_EQ(Trim(run.out), output.string());
  const int samples = std::stoi(SoxInfo("-s", output));
  EXPECT_GT(samples, 0);
  EXPECT_LT(samples, 50000);
}

TEST_F(RecordInterop, ACaptureFailureMidRecordingEndsWithTheDevicesOwnMessage) {
  MakeInput("in.wav", 44100, 2, 16, "5");
  m_env["CORVOX_VIRTUAL_FAIL_AFTER"] = "44100";
  const fs::path output = m_dir / "failed.wav";
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", output.string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("The recording stopped early: The virtual capture device failed on purpose after 44100 "
                         "frames (CORVOX_VIRTUAL_FAIL_AFTER).\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("Recorded 1.000 seconds.\n"), std::string::npos) << run.err;
  EXPECT_EQ(Trim(run.out), output.string());
  EXPECT_EQ(SoxInfo("-s", output), "44100");
}

TEST_F(RecordInterop, AFormatThatCannotBeStoredIsStillUsedForTheRecording) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  // A file where the settings folder should be: nothing can be stored.
  std::ofstream(m_dir / "config" / "vantro") << "not a folder";
  const fs::path output = m_dir / "unstored.wav";
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("corvox record: the format could not be stored in the settings file; it is used for this "
                         "recording only.\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(SoxInfo("-s", output), "8820");
}

TEST_F(RecordInterop, CtrlCStopsCleanlyWithACompleteFile) {
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const fs::path output = m_dir / "interrupted.wav";
  const ProcessResult run = RunProcess({CORVOX_BINARY, "record", "--format", "wav", "--output", output.string()}, m_env,
                                       std::chrono::milliseconds(1500));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const double seconds = std::stod(SoxInfo("-D", output));
  EXPECT_GT(seconds, 0.4);
  EXPECT_LT(seconds, 3.0);
}

TEST_F(RecordInterop, HangUpAndTerminationStopCleanlyAsCtrlCDoes) {
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  for (const int signal : {SIGHUP, SIGTERM}) {
    const fs::path output = m_dir / (std::string(sigabbrev_np(signal)) + ".wav");
    BackgroundProcess recording({CORVOX_BINARY, "record", "--format", "wav", "--output", output.string()}, m_env);
    ASSERT_TRUE(recording.WaitForError(kRecordingStarted, std::chrono::seconds(30))) << recording.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    recording.Signal(signal);
    ASSERT_EQ(recording.Wait(), 0) << sigabbrev_np(signal) << ": " << recording.Err();
    const double seconds = std::stod(SoxInfo("-D", output));
    EXPECT_GT(seconds, 0.9) << sigabbrev_np(signal);
    EXPECT_LT(seconds, 3.0) << sigabbrev_np(signal);
  }
}

TEST_F(RecordInterop, ASecondRecordingWhileOneRunsIsRefused) {
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const fs::path first = m_dir / "first.wav";
  ProcessResult running;
  std::thread recorder([&] {
    running = RunProcess({CORVOX_BINARY, "record", "--format", "wav", "--output", first.string()}, m_env,
                         std::chrono::milliseconds(1500));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const ProcessResult second = Corvox({"record", "--format", "wav", "--output", (m_dir / "second.wav").string()});
  recorder.join();
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("Another recording is in progress."), std::string::npos) << second.err;
  ASSERT_EQ(running.exitCode, 0) << running.err;
  EXPECT_GT(std::stod(SoxInfo("-D", first)), 0.4);
}

TEST_F(RecordInterop, DevicesAreListedByPosition) {
  const ProcessResult run = Corvox({"devices"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("audio backend: virtual\n0\t", 0), 0u) << run.out;
}

}  // namespace
