// A real-time recording killed (SIGKILL) at random moments, then `corvox recover`: the
// recovered file decodes without a complaint in tools we did not write, and it holds all the
// audio captured before the kill but the last second (two for WMA).
//
// CORVOX_KILL_MOMENTS sets the moments per format (default 2, as in CI), CORVOX_KILL_LATEST
// the latest moment in seconds (default 4), CORVOX_KILL_SEED the random seed (printed, so a
// failing run can be repeated). Each format prints its figures: bench/kill_recovery.sh runs
// twenty moments per format and reports them.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "PlayableFile.h"
#include "RecordInterop.h"
#include "support/BackgroundProcess.h"

namespace {

struct KillCase {
  const char* name;
  const char* format;                // corvox record --format
  const char* extension;             // of the recovered file
  std::vector<std::string> settings;  // a stored setting the format needs, empty: none
  double allowedShortfallSeconds;
};

constexpr double kEarliestKillSeconds = 1.0;
// Decoders may add an encoder's priming or a last block's padding.
constexpr double kAllowedExcessSeconds = 0.25;

int EnvironmentNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

uint32_t Seed() {
  static const uint32_t seed = static_cast<uint32_t>(EnvironmentNumber("CORVOX_KILL_SEED", std::random_device()()));
  return seed;
}

struct Figures {
  std::vector<double> shortfalls;

  void Print(const KillCase& kill) const {
    if (shortfalls.empty()) return;
    double sum = 0;
    for (double s : shortfalls) sum += s;
    std::printf("kill recovery %-14s %2zu moments, shortfall max %.3f s, mean %.3f s, min %.3f s (bound %.0f s)\n",
                kill.name, shortfalls.size(), *std::max_element(shortfalls.begin(), shortfalls.end()),
                sum / static_cast<double>(shortfalls.size()),
                *std::min_element(shortfalls.begin(), shortfalls.end()), kill.allowedShortfallSeconds);
    std::fflush(stdout);
  }
};

class KillRecovery : public RecordInterop {
 protected:
  void RunMoments(const KillCase& kill) {
    const int moments = std::max(1, EnvironmentNumber("CORVOX_KILL_MOMENTS", 2));
    const double latest = std::max(kEarliestKillSeconds, 1.0 * EnvironmentNumber("CORVOX_KILL_LATEST", 4));
    std::mt19937 random(Seed() ^ std::hash<std::string>()(kill.name));
    std::uniform_real_distribution<double> moment(kEarliestKillSeconds, latest);
    std::printf("kill recovery %s: seed %u (CORVOX_KILL_SEED)\n", kill.name, Seed());
    Figures figures;
    for (int i = 0; i < moments; ++i) {
      const double seconds = moment(random);
      SCOPED_TRACE(std::string(kill.name) + ", killed after " + std::to_string(seconds) + " s");
      KillAndRecover(kill, i, seconds, &figures);
      if (HasFatalFailure()) break;
    }
    figures.Print(kill);
  }

 private:
  // Folders of their own for each moment, so each recovery finds only its own recording.
  std::map<std::string, std::string> MomentEnvironment(int moment) {
    const fs::path root = m_dir / ("moment" + std::to_string(moment));
    for (const char* folder : {"home", "config", "tmp"}) fs::create_directories(root / folder);
    std::map<std::string, std::string> env = m_env;
    env["HOME"] = (root / "home").string();
    env["XDG_CONFIG_HOME"] = (root / "config").string();
    env["TMPDIR"] = (root / "tmp").string();
    env["CORVOX_VIRTUAL_PACE"] = "1";
    env.erase("CORVOX_VIRTUAL_INPUT");  // the device's own endless tone
    return env;
  }

  void KillAndRecover(const KillCase& kill, int moment, double seconds, Figures* figures) {
    const std::map<std::string, std::string> env = MomentEnvironment(moment);
    if (!kill.settings.empty()) {
      std::vector<std::string> set = {CORVOX_BINARY, "settings", "set"};
      set.insert(set.end(), kill.settings.begin(), kill.settings.end());
      ASSERT_EQ(RunProcess(set, env).exitCode, 0);
    }
    BackgroundProcess recording({CORVOX_BINARY, "record", "--format", kill.format}, env);
    ASSERT_TRUE(recording.WaitForError(kRecordingStarted, std::chrono::seconds(30))) << recording.Err();
    std::this_thread::sleep_until(recording.SeenAt() + std::chrono::duration<double>(seconds));
    recording.Signal(SIGKILL);
    const double captured = std::chrono::duration<double>(BackgroundProcess::Clock::now() - recording.SeenAt()).count();
    recording.Wait();
    ASSERT_EQ(recording.KilledBy(), SIGKILL) << recording.Err();

    const ProcessResult recovered = RunProcess({CORVOX_BINARY, "recover"}, env);
    ASSERT_EQ(recovered.exitCode, 0) << recovered.out << recovered.err;
    const fs::path music = fs::path(env.at("HOME")) / "Music" / "Vantro Audio";
    std::vector<fs::path> files;
    if (fs::exists(music))
      for (const auto& entry : fs::directory_iterator(music)) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u) << recovered.err;
    const fs::path& file = files.front();
    EXPECT_EQ(file.extension(), kill.extension);

    const double shortfall = captured - ExpectPlayable(file);
    EXPECT_LE(shortfall, kill.allowedShortfallSeconds) << "captured " << captured << " s";
    EXPECT_GE(shortfall, -kAllowedExcessSeconds) << "captured " << captured << " s";
    figures->shortfalls.push_back(shortfall);
  }
};

TEST_F(KillRecovery, Wav) { RunMoments({"wav", "wav", ".wav", {}, 1.0}); }

TEST_F(KillRecovery, CompressedWav) {
  RunMoments({"compressed-wav", "wav", ".wav", {"WAV Configuration", "compressorIndex=0", "listPosition=0"}, 1.0});
}

TEST_F(KillRecovery, Mp3) { RunMoments({"mp3", "mp3", ".mp3", {}, 1.0}); }

TEST_F(KillRecovery, Ogg) { RunMoments({"ogg", "ogg", ".ogg", {}, 1.0}); }

TEST_F(KillRecovery, Wma) { RunMoments({"wma", "wma", ".wma", {}, 2.0}); }

}  // namespace
