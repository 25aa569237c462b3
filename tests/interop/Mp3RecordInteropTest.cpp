// MP3 recordings made with corvox, read by tools we did not write (ffprobe, mpg123, sox).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "RecordInterop.h"

namespace {

// ffprobe says this of every MP3 file without a VBR header frame, which these files have none
// of by design; it is not a fault in the stream.
constexpr const char* kNoHeaderFrameNote = "Estimating duration from bitrate, this may be inaccurate";

struct FrameFlags {
  int bitrateKbps;
  bool crc, copyright, original;
};

class Mp3RecordInterop : public RecordInterop {
 protected:
  // Records the current input to `name` and expects success.
  fs::path Record(const std::string& name) {
    const fs::path output = m_dir / name;
    const ProcessResult run = Corvox({"record", "--format", "mp3", "--output", output.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Trim(run.out), output.string());
    return output;
  }

  void Set(const std::string& value, std::vector<std::string> fields) {
    fields.insert(fields.begin(), {"settings", "set", value});
    const ProcessResult set = Corvox(fields);
    ASSERT_EQ(set.exitCode, 0) << set.err;
  }

  // sample_rate, channels and bit_rate as ffprobe reads them; it must say nothing else.
  std::string Probe(const fs::path& file) {
    const ProcessResult probe =
        RunProcess({"ffprobe", "-v", "warning", "-show_entries", "stream=codec_name,sample_rate,channels,bit_rate",
                    "-of", "default=noprint_wrappers=1", file.string()});
    EXPECT_EQ(probe.exitCode, 0);
    std::string err = probe.err;
    const size_t note = err.find(kNoHeaderFrameNote);
    if (note != std::string::npos) err.erase(err.rfind('[', note), err.find('\n', note) + 1 - err.rfind('[', note));
    EXPECT_EQ(err, "") << "ffprobe warned about " << file;
    return probe.out;
  }

  // mpg123 decodes the whole file to WAV without a complaint; the decoded WAV's path.
  fs::path Decode(const fs::path& file) {
    const fs::path wav = m_dir / (file.stem().string() + "-decoded.wav");
    const ProcessResult test = RunProcess({"mpg123", "-t", file.string()});
    EXPECT_EQ(test.exitCode, 0) << test.err;
    std::string err = test.err;
    std::transform(err.begin(), err.end(), err.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(err.find("warning"), std::string::npos) << test.err;
    EXPECT_EQ(err.find("error"), std::string::npos) << test.err;
    const ProcessResult decode = RunProcess({"mpg123", "-q", "-w", wav.string(), file.string()});
    EXPECT_EQ(decode.exitCode, 0) << decode.err;
    return wav;
  }

  // RMS amplitude of the file's last second, 0 to 1.
  double LastSecondRms(const fs::path& wav) {
    const ProcessResult stat = RunProcess({"sox", wav.string(), "-n", "trim", "-1", "stat"});
    const size_t at = stat.err.find("RMS     amplitude:");
    if (at == std::string::npos) {
      ADD_FAILURE() << stat.err;
      return 0;
    }
    return std::stod(stat.err.substr(at + 18));
  }

  // A default-settings recording of MakeInput's tone, 3 seconds long.
  void ExpectDefaultFileOfThreeSecondsOfTone(const fs::path& output) {
    EXPECT_EQ(Probe(output), "codec_name=mp3\nsample_rate=44100\nchannels=2\nbit_rate=128000\n");
    const fs::path decoded = Decode(output);
    // All of the input, plus at most LAME's delay and padding (under two frames).
    const long samples = std::stol(SoxInfo("-s", decoded));
    EXPECT_GE(samples, 132300);
    EXPECT_LE(samples, 132300 + 2 * 1152 + 1105);
    // The tone is there to the end: the tail LAME held back was written.
    EXPECT_GT(LastSecondRms(decoded), 0.3);
  }

  // Every frame header's bitrate and flags, walked by frame lengths from the first byte.
  std::vector<FrameFlags> Frames(const fs::path& file) {
    const std::vector<char> bytes = ReadFile(file);
    std::vector<FrameFlags> frames;
    constexpr int kBitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    constexpr int kRates[4] = {44100, 48000, 32000, 0};
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
      const auto* b = reinterpret_cast<const uint8_t*>(bytes.data() + at);
      const int bitrate = kBitrates[b[2] >> 4];
      const int rate = kRates[(b[2] >> 2) & 3];
      if (b[0] != 0xFF || (b[1] & 0xFE) != 0xFA || bitrate == 0 || rate == 0) {
        ADD_FAILURE() << "no MPEG-1 Layer III frame at byte " << at;
        break;
      }
      frames.push_back({bitrate, (b[1] & 1) == 0, (b[3] & 8) != 0, (b[3] & 4) != 0});
      at += static_cast<size_t>(144 * bitrate * 1000 / rate + ((b[2] >> 1) & 1));
    }
    EXPECT_EQ(at, bytes.size()) << "the last frame is cut off";
    return frames;
  }
};

TEST_F(Mp3RecordInterop, DefaultRecordingOfAFileKeepsAllOfItAndReadsCleanly) {
  MakeInput("in.wav", 44100, 2, 16, "3");
  const fs::path output = Record("take.mp3");
  ExpectDefaultFileOfThreeSecondsOfTone(output);
  for (const FrameFlags& frame : Frames(output)) {
    EXPECT_EQ(frame.bitrateKbps, 128);
    EXPECT_FALSE(frame.crc || frame.copyright || frame.original);
  }
  // Neither the WAV-wrapped recording nor the extracted frames stay behind.
  for (const auto& entry : fs::recursive_directory_iterator(m_dir / "tmp"))
    EXPECT_EQ(entry.path().filename().string().rfind("corvox_temp", 0), std::string::npos) << entry.path();
}

TEST_F(Mp3RecordInterop, StoredSettingsReachTheFramesAndTheFlagsAppearInEveryHeader) {
  MakeInput("in.wav", 44100, 2, 16, "1");
  Set("MP3 Configuration",
      {"cbrBitrateKbps=64", "outputSampleRateHz=32000", "channels=1", "crc=1", "copyright=1", "original=1"});
  const fs::path output = Record("flags.mp3");
  EXPECT_EQ(Probe(output), "codec_name=mp3\nsample_rate=32000\nchannels=1\nbit_rate=64000\n");
  Decode(output);
  const std::vector<FrameFlags> frames = Frames(output);
  ASSERT_FALSE(frames.empty());
  for (const FrameFlags& frame : frames) EXPECT_TRUE(frame.crc && frame.copyright && frame.original);
}

TEST_F(Mp3RecordInterop, EveryOfferedRateAndChannelChoiceGivesAValidFile) {
  MakeInput("in.wav", 44100, 2, 16, "0.5");
  for (const char* rate : {"32000", "44100", "48000"}) {
    for (const char* channels : {"1", "2"}) {
      Set("MP3 Configuration", {std::string("outputSampleRateHz=") + rate, std::string("channels=") + channels});
      const fs::path output = Record(std::string("r") + rate + "c" + channels + ".mp3");
      EXPECT_EQ(Probe(output),
                std::string("codec_name=mp3\nsample_rate=") + rate + "\nchannels=" + channels + "\nbit_rate=128000\n");
      const long samples = std::stol(SoxInfo("-s", Decode(output)));
      EXPECT_GE(samples, std::stol(rate) / 2) << rate << " Hz, " << channels << " channel(s)";
    }
  }
}

TEST_F(Mp3RecordInterop, VbrSettingsGiveAVariableBitrateStream) {
  const fs::path input = m_dir / "quiet-then-loud.wav";
  ASSERT_EQ(RunProcess({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", input.string(), "synth", "2", "pinknoise",
                        "vol", "0.5", "pad", "2", "0"})
                .exitCode,
            0);
  m_env["CORVOX_VIRTUAL_INPUT"] = input.string();
  Set("MP3 Configuration", {"cbr=0", "vbrMinBitrateKbps=32", "vbrMaxBitrateKbps=320", "vbrQuality=2"});
  const fs::path output = Record("vbr.mp3");
  Decode(output);
  std::set<int> bitrates;
  for (const FrameFlags& frame : Frames(output)) bitrates.insert(frame.bitrateKbps);
  EXPECT_GT(bitrates.size(), 2u);
  EXPECT_GE(*bitrates.begin(), 32);
}

TEST_F(Mp3RecordInterop, NinetySixKilohertzAndAFiveSecondLatencyLoseNothing) {
  MakeInput("in96.wav", 96000, 2, 16, "3");
  Set("Device Settings 0", {"samplesPerSec=96000", "latencyMs=5000"});
  ExpectDefaultFileOfThreeSecondsOfTone(Record("hi.mp3"));
}

TEST_F(Mp3RecordInterop, CtrlCDuringARealTimeRecordingLeavesACompleteFile) {
  MakeInput("in.wav", 44100, 2, 16, "20");
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  const fs::path output = m_dir / "live.mp3";
  const ProcessResult run = RunProcess({CORVOX_BINARY, "record", "--format", "mp3", "--output", output.string()}, m_env,
                                       std::chrono::milliseconds(2000));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Trim(run.out), output.string());
  EXPECT_EQ(Probe(output), "codec_name=mp3\nsample_rate=44100\nchannels=2\nbit_rate=128000\n");
  const double seconds = std::stod(SoxInfo("-D", Decode(output)));
  EXPECT_GT(seconds, 0.5);
  EXPECT_LT(seconds, 10);
  Frames(output);
}

}  // namespace
