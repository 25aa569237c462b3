// The document's guarantees and its commands through the real corvox binary: what a recording
// may replace, what is kept, standard streams that are closed, interactive control on a
// terminal and by lines, reading files back and playing them.

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "RecordInterop.h"

namespace {

struct TerminalRun {
  int exitCode = -1;
  std::string output;  // everything written to the terminal
};

// Runs corvox with a pseudo-terminal as its standard input, output and error, typing each key
// after its delay (counted from the previous key).
TerminalRun RunOnTerminal(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                          const std::vector<std::pair<std::chrono::milliseconds, std::string>>& keys) {
  TerminalRun run;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(CORVOX_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return run;
  std::thread reader([&] {
    char buffer[4096];
    for (;;) {
      const ssize_t got = read(master, buffer, sizeof buffer);
      if (got <= 0) break;
      run.output.append(buffer, static_cast<size_t>(got));
    }
  });
  for (const auto& [delay, key] : keys) {
    std::this_thread::sleep_for(delay);
    if (write(master, key.data(), key.size()) < 0) break;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  reader.join();
  close(master);
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  return run;
}

class DocumentInterop : public RecordInterop {
 protected:
  fs::path TempFolder() const { return m_dir / "tmp" / ("corvox-" + std::to_string(getuid())); }
  ProcessResult Shell(const std::string& script) {
    std::map<std::string, std::string> env = m_env;
    env["CORVOX"] = CORVOX_BINARY;
    return RunProcess({"bash", "-c", script}, env);
  }
};

TEST_F(DocumentInterop, SecondsCountRecordedAudioNotTheClock) {
  MakeInput("in.wav", 44100, 2, 16, "5");
  const fs::path output = m_dir / "half.wav";
  const ProcessResult run = Corvox({"record", "--format", "wav", "--seconds", "0.5", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(SoxInfo("-s", output), "22050");
  EXPECT_NE(run.err.find("Recorded 0.500 seconds.\n"), std::string::npos) << run.err;

  const ProcessResult tiny = Corvox({"record", "--seconds", "0.0001", "--output", (m_dir / "tiny.wav").string()});
  ASSERT_EQ(tiny.exitCode, 0) << tiny.err;
  EXPECT_EQ(SoxInfo("-s", m_dir / "tiny.wav"), "4");
}

// With a file-size limit the recording cannot be written whole: the file named by --output
// keeps its old content, and what was recorded is kept aside.
TEST_F(DocumentInterop, AnInvalidRecordingNeverReplacesAnExistingFile) {
  MakeInput("in.wav", 44100, 2, 16, "1");
  const fs::path output = m_dir / "precious.wav";
  ASSERT_EQ(RunProcess({"sox", "-n", "-r", "8000", "-c", "1", output.string(), "synth", "1", "sine", "300"}).exitCode,
            0);
  const std::vector<char> before = ReadFile(output);
  // Through a pipe: the limit would cut a file receiving the messages short too.
  const ProcessResult run = Shell("set -o pipefail; prlimit --fsize=20 -- \"$CORVOX\" record --format wav --output '" +
                                  output.string() + "' 2>&1 | cat");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadFile(output), before);
  EXPECT_NE(run.out.find("The recording could not be saved as " + output.string() + ". It is not a valid file: "),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find(output.string() + "\n"), std::string::npos) << run.out;
}

TEST_F(DocumentInterop, AnOutputThatIsNotARegularFileIsRefusedBeforeRecording) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  const fs::path fifo = m_dir / "pipe.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", fifo.string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(fifo.string() + " exists and is not a regular file; it is never replaced."), std::string::npos)
      << run.err;
  struct stat info;
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(DocumentInterop, ALeftoverRecordingIsSetAsideAndTheUserToldWhere) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  fs::create_directories(TempFolder());
  fs::permissions(TempFolder(), fs::perms::owner_all, fs::perm_options::replace);
  fs::copy_file(m_env["CORVOX_VIRTUAL_INPUT"], TempFolder() / "corvox_temp.audio");
  const ProcessResult run = Corvox({"record", "--format", "wav", "--output", (m_dir / "new.wav").string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string prefix = "A recording that was never saved is kept in ";
  const size_t at = run.err.find(prefix);
  ASSERT_NE(at, std::string::npos) << run.err;
  const fs::path kept = run.err.substr(at + prefix.size(), run.err.find('\n', at) - at - prefix.size());
  EXPECT_EQ(ReadFile(kept), ReadFile(m_env["CORVOX_VIRTUAL_INPUT"]));
  EXPECT_EQ(SoxInfo("-s", m_dir / "new.wav"), "8820");
}

TEST_F(DocumentInterop, ClosedStandardStreamsAndAClosedPipeChangeNothing) {
  MakeInput("in.wav", 44100, 2, 16, "0.2");
  const ProcessResult closed =
      Shell("\"$CORVOX\" record --format wav --output '" + (m_dir / "closed.wav").string() + "' <&- >&- 2>&-");
  EXPECT_EQ(closed.exitCode, 0);
  EXPECT_EQ(SoxInfo("-s", m_dir / "closed.wav"), "8820");
  for (const auto& entry : fs::directory_iterator(TempFolder()))
    EXPECT_NE(entry.path().filename(), "corvox_temp.audio");

  const ProcessResult piped = Shell("set -o pipefail; \"$CORVOX\" record --format wav --output '" +
                                    (m_dir / "piped.wav").string() + "' | true");
  EXPECT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_EQ(SoxInfo("-s", m_dir / "piped.wav"), "8820");
}

TEST_F(DocumentInterop, LinesOnStandardInputPauseResumeAndStop) {
  MakeInput("in.wav", 44100, 2, 16, "10");
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const fs::path output = m_dir / "driven.wav";
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult run = Shell(
      "{ sleep 0.6; echo pause; sleep 1; echo '  resume'; sleep 0.6; echo stop; } | "
      "\"$CORVOX\" record --format wav --interactive --output '" +
      output.string() + "'");
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GT(elapsed, 2.0);
  // Not a terminal: no status line.
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << run.err;
  const double seconds = std::stod(SoxInfo("-D", output));
  EXPECT_GT(seconds, 0.5);
  EXPECT_LT(seconds, elapsed - 0.8);
}

TEST_F(DocumentInterop, OnATerminalKeysPauseAndStopAndAStatusLineShowsTheLevel) {
  MakeInput("in.wav", 44100, 2, 16, "10");
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const fs::path output = m_dir / "keys.wav";
  using std::chrono::milliseconds;
  const TerminalRun run =
      RunOnTerminal({"record", "--format", "wav", "--interactive", "--output", output.string()}, m_env,
                    {{milliseconds(1500), " "}, {milliseconds(800), "\n"}, {milliseconds(1200), "q"}});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("  recording  "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  paused     "), std::string::npos) << run.output;
  // The tone peaks at 0.5: -6 dBFS, 27 of the 30 steps from -60 dBFS.
  EXPECT_NE(run.output.find(" -6.0 dBFS [" + std::string(27, '#') + "---]\x1b[K"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Recorded "), std::string::npos) << run.output;
  const double seconds = std::stod(SoxInfo("-D", output));
  EXPECT_GT(seconds, 1.5);
  EXPECT_LT(seconds, 3.2);
}

TEST_F(DocumentInterop, WaveformPrintsTheDumpHeaderOrTheReasonItCannot) {
  const fs::path tone = m_dir / "t.wav";
  ASSERT_EQ(
      RunProcess({"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", tone.string(), "synth", "3.5", "sine", "440"})
          .exitCode,
      0);
  const fs::path dump = m_dir / "dump.txt";
  const ProcessResult run = Corvox({"waveform", tone.string(), "--dump", dump.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("1\t22050\t2\t3.500000\t", 0), 0u) << run.out;
  EXPECT_EQ(ReadFile(dump).size() > run.out.size(), true);

  std::ofstream(m_dir / "notes.wav") << "Minutes of the meeting.\n";
  const ProcessResult text = Corvox({"waveform", (m_dir / "notes.wav").string()});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_EQ(text.out, "");
  EXPECT_NE(text.err.find("Couldn't process music file " + (m_dir / "notes.wav").string() + ".\nAborting.\n"),
            std::string::npos)
      << text.err;

  const ProcessResult full = Corvox({"waveform", tone.string(), "--dump", "/dev/full"});
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_NE(full.err.find("The disk containing dump file has run out of space"), std::string::npos) << full.err;
}

TEST_F(DocumentInterop, PlayPlaysTheSelectionAtTheSlidersVolumeAndEnds) {
  const fs::path tone = MakeInput("tone.wav", 22050, 1, 16, "3");
  m_env["CORVOX_VIRTUAL_OUTPUT"] = (m_dir / "played.wav").string();
  const ProcessResult run = Corvox({"play", tone.string(), "--from", "1", "--to", "2", "--volume", "100"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(SoxInfo("-s", m_dir / "played.wav"), "22050");
  const ProcessResult stat = RunProcess({"sox", (m_dir / "played.wav").string(), "-n", "stat"});
  const size_t at = stat.err.find("Maximum amplitude:");
  ASSERT_NE(at, std::string::npos) << stat.err;
  // The tone peaks at 0.5; 100 on the slider is -20 dB.
  EXPECT_NEAR(std::stod(stat.err.substr(at + 18)), 0.05, 0.002);

  EXPECT_EQ(Corvox({"play", tone.string(), "--from", "4"}).exitCode, 2);
  EXPECT_EQ(Corvox({"play", tone.string(), "--volume", "1001"}).exitCode, 2);
}

TEST_F(DocumentInterop, PlayOnATerminalShowsThePosition) {
  const fs::path tone = MakeInput("tone.wav", 22050, 1, 16, "1");
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const TerminalRun run = RunOnTerminal({"play", tone.string()}, m_env, {});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("\r00:00.0 / 00:01.0\x1b[K"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" / 00:01.0\x1b[K\r\n"), std::string::npos) << run.output;
}

}  // namespace
