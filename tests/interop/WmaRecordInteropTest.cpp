// WMA recordings made with corvox, read by tools we did not write (ffprobe, ffmpeg).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <thread>

#include "RecordInterop.h"

namespace {

constexpr int kInputSeconds = 12;

struct ListedFormat {
  int index;
  int kbps;
  int rateHz;
  int channels;
};

// "    formatIndex=24  vbr=0  128 kbps, 44 kHz, stereo CBR"
std::vector<ListedFormat> ParseFormats(const std::string& listing) {
  static const std::map<int, int> kRates = {{8, 8000},   {11, 11025}, {16, 16000}, {22, 22050},
                                            {32, 32000}, {44, 44100}, {48, 48000}};
  const std::regex line(R"(formatIndex=(\d+)\s+vbr=0\s+(\d+) kbps, (\d+) kHz, (mono|stereo) CBR)");
  std::vector<ListedFormat> formats;
  for (std::sregex_iterator it(listing.begin(), listing.end(), line), end; it != end; ++it) {
    const std::smatch& m = *it;
    formats.push_back({std::stoi(m[1]), std::stoi(m[2]), kRates.at(std::stoi(m[3])), m[4] == "mono" ? 1 : 2});
  }
  return formats;
}

// "key=value" lines as ffprobe prints them.
std::map<std::string, std::string> Fields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  for (std::string entry; std::getline(lines, entry);) {
    const size_t equals = entry.find('=');
    if (equals != std::string::npos) fields[entry.substr(0, equals)] = entry.substr(equals + 1);
  }
  return fields;
}

// Samples of the encoder's block at that rate.
int BlockSamples(int rateHz) { return rateHz >= 32000 ? 2048 : rateHz >= 22050 ? 1024 : 512; }

class WmaRecordInterop : public RecordInterop {
 protected:
  void SetUp() override {
    RecordInterop::SetUp();
    m_env["LC_ALL"] = "de_DE.UTF-8";
  }

  std::map<std::string, std::string> Probe(const fs::path& file) {
    const ProcessResult probe = RunProcess({"ffprobe", "-v", "warning", "-show_entries",
                                            "format=format_name,duration,size:stream=codec_name,sample_rate,channels,"
                                            "bit_rate:stream_tags=language",
                                            "-of", "default=noprint_wrappers=1", file.string()});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.err, "") << "ffprobe warned about " << file;
    return Fields(probe.out);
  }

  // Samples per channel ffmpeg decodes from the file, at its own rate.
  long DecodedSamples(const fs::path& file) {
    const fs::path raw = m_dir / "decoded.raw";
    const ProcessResult decode =
        RunProcess({"ffmpeg", "-v", "error", "-y", "-i", file.string(), "-f", "s16le", "-ac", "1", raw.string()});
    EXPECT_EQ(decode.exitCode, 0) << decode.err;
    return static_cast<long>(fs::file_size(raw) / 2);
  }
};

TEST_F(WmaRecordInterop, EveryListedFormatIsAsfWithItsBitrateRateChannelsAndLanguage) {
  MakeInput("in.wav", 44100, 2, 16, std::to_string(kInputSeconds));
  const ProcessResult listing = Corvox({"codecs"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  const std::vector<ListedFormat> formats = ParseFormats(listing.out);
  ASSERT_GT(formats.size(), 24u);
  EXPECT_EQ(formats[24].kbps, 128);

  for (const ListedFormat& format : formats) {
    SCOPED_TRACE("format " + std::to_string(format.index));
    ASSERT_EQ(Corvox({"settings", "set", "WMA Configuration", "formatIndex=" + std::to_string(format.index)}).exitCode,
              0);
    const fs::path output = m_dir / ("format" + std::to_string(format.index) + ".wma");
    const ProcessResult run = Corvox({"record", "--format", "wma", "--output", output.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::map<std::string, std::string> fields = Probe(output);
    EXPECT_EQ(fields["format_name"], "asf");
    EXPECT_EQ(fields["codec_name"], "wmav2");
    EXPECT_EQ(fields["sample_rate"], std::to_string(format.rateHz));
    EXPECT_EQ(fields["channels"], std::to_string(format.channels));
    EXPECT_EQ(fields["bit_rate"], std::to_string(format.kbps * 1000));
    EXPECT_EQ(fields["TAG:language"], "ger");
    const double realBitrate = std::stod(fields["size"]) * 8 / std::stod(fields["duration"]);
    EXPECT_NEAR(realBitrate, format.kbps * 1000, format.kbps * 100);

    const long expected = static_cast<long>(kInputSeconds) * format.rateHz;
    EXPECT_NEAR(DecodedSamples(output), expected, BlockSamples(format.rateHz));
  }
}

TEST_F(WmaRecordInterop, AKilledRecordingLeavesAllButItsLastSecondsDecodable) {
  MakeInput("in.wav", 44100, 2, 16, "30");
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    for (const auto& [name, value] : m_env) setenv(name.c_str(), value.c_str(), 1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    execl(CORVOX_BINARY, CORVOX_BINARY, "record", "--format", "wma", static_cast<char*>(nullptr));
    _exit(127);
  }
  // The writer creates the temporary file as the recording starts.
  fs::path temporary;
  for (int wait = 0; wait < 400 && temporary.empty(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& entry : fs::recursive_directory_iterator(m_dir / "tmp"))
      if (entry.path().filename() == "corvox_temp.audio") temporary = entry.path();
  }
  if (!temporary.empty()) std::this_thread::sleep_for(std::chrono::seconds(10));
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_FALSE(temporary.empty());
  EXPECT_TRUE(WIFSIGNALED(status));
  // At least 8 of the 10 seconds.
  EXPECT_GE(DecodedSamples(temporary), 8L * 44100);
}

}  // namespace
