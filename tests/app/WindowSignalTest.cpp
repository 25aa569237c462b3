// The window's program itself: the signals a terminal, a logout or `kill` send close it as a
// user would (exit status 0), rather than ending it mid-recording. What the close does to a
// running recording is RecordPlayCycleTest's.

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/BackgroundProcess.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

// The window stores its first-run time once its signal handling is in place.
bool FirstRunStored(const fs::path& config) {
  for (const auto& entry : fs::recursive_directory_iterator(config)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path());
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    if (text.find("\"Last Checked\"") != std::string::npos) return true;
  }
  return false;
}

TEST(WindowSignalTest, HangUpInterruptAndTerminationCloseTheWindowWithSuccess) {
  for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
    const ScratchFolder folder;
    for (const char* name : {"home", "config", "tmp"}) fs::create_directories(folder.File(name));
    BackgroundProcess window({WINDOW_BINARY}, {{"HOME", folder.File("home")},
                                               {"XDG_CONFIG_HOME", folder.File("config")},
                                               {"TMPDIR", folder.File("tmp")},
                                               {"QT_QPA_PLATFORM", "offscreen"},
                                               {"CORVOX_AUDIO", "virtual"}});
    for (int wait = 0; wait < 600 && !FirstRunStored(folder.File("config")); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(FirstRunStored(folder.File("config"))) << sigabbrev_np(signal);
    window.Signal(signal);
    EXPECT_EQ(window.Wait(), 0) << sigabbrev_np(signal) << ": " << window.Err();
  }
}

}  // namespace
