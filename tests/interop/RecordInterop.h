#pragma once
// The fixture of the interop tests: corvox runs with its own home, settings and temporary
// folder, recording unpaced from the virtual device; tools we did not write read the result.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/Process.h"

namespace fs = std::filesystem;

// What corvox record says on standard error once the recording graph runs.
inline constexpr const char* kRecordingStarted = "Recording to ";

inline std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

inline std::vector<char> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class RecordInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("corvox-interop-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir / "home");
    fs::create_directories(m_dir / "config");
    fs::create_directories(m_dir / "tmp");
    m_env = {{"HOME", (m_dir / "home").string()},
             {"XDG_CONFIG_HOME", (m_dir / "config").string()},
             {"TMPDIR", (m_dir / "tmp").string()},
             {"CORVOX_AUDIO", "virtual"},
             {"CORVOX_VIRTUAL_PACE", "0"}};
  }
  void TearDown() override { fs::remove_all(m_dir); }

  ProcessResult Corvox(std::vector<std::string> args) {
    args.insert(args.begin(), CORVOX_BINARY);
    return RunProcess(args, m_env);
  }

  // A tone made by sox: `seconds` long at the given rate, channels and bits.
  fs::path MakeInput(const std::string& name, int rate, int channels, int bits, const std::string& seconds) {
    const fs::path path = m_dir / name;
    const ProcessResult made =
        RunProcess({"sox", "-n", "-r", std::to_string(rate), "-c", std::to_string(channels), "-b", std::to_string(bits),
                    path.string(), "synth", seconds, "sine", "440", "vol", "0.5"});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    m_env["CORVOX_VIRTUAL_INPUT"] = path.string();
    return path;
  }

  std::string SoxInfo(const std::string& flag, const fs::path& file) {
    const ProcessResult info = RunProcess({"sox", "--i", flag, file.string()});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.err, "") << "sox warned about " << file;
    return Trim(info.out);
  }

  fs::path m_dir;
  std::map<std::string, std::string> m_env;
};
