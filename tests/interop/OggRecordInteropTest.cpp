// Ogg Vorbis recordings made with corvox, read by tools we did not write (ogginfo, ffprobe).

#include <gtest/gtest.h>

#include <chrono>

#include "RecordInterop.h"
#include "filters/OggTestReader.h"

namespace {

class OggRecordInterop : public RecordInterop {
 protected:
  void Set(std::vector<std::string> fields) {
    fields.insert(fields.begin(), {"settings", "set", "OGG Configuration"});
    const ProcessResult set = Corvox(fields);
    ASSERT_EQ(set.exitCode, 0) << set.err;
  }

  // ogginfo's report, which must hold neither a warning nor an error.
  std::string OggInfo(const fs::path& file) {
    const ProcessResult info = RunProcess({"ogginfo", file.string()});
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    const std::string report = info.out + info.err;
    EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
    EXPECT_EQ(report.find("ERROR"), std::string::npos) << report;
    return report;
  }

  std::string Probe(const fs::path& file) {
    const ProcessResult probe =
        RunProcess({"ffprobe", "-v", "warning", "-show_entries", "stream=codec_name,sample_rate,channels,duration_ts",
                    "-of", "default=noprint_wrappers=1", file.string()});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.err, "") << "ffprobe warned about " << file;
    return probe.out;
  }

  // One Vorbis stream of serial 0: each header packet alone on pages 0, 1 and 2, audio pages
  // after them, the last page ending the stream at `frames`.
  void ExpectLayout(const fs::path& file, int64_t frames) {
    const std::vector<char> raw = ReadFile(file);
    const OggTestFile ogg = ReadOggTestFile({reinterpret_cast<const uint8_t*>(raw.data()), raw.size()});
    EXPECT_EQ(ogg.unreadBytes, 0u);
    EXPECT_FALSE(ogg.packetsLost);
    ASSERT_GT(ogg.pages.size(), 3u);
    for (const OggTestPage& page : ogg.pages) EXPECT_EQ(page.serial, 0);
    const uint8_t kinds[] = {1, 3, 5};
    for (int i = 0; i < 3; ++i) {
      const OggTestPage& page = ogg.pages[i];
      EXPECT_EQ(page.pageNumber, i);
      EXPECT_FALSE(page.continued) << "page " << i;
      ASSERT_EQ(page.packets.size(), 1u) << "page " << i;
      EXPECT_EQ(page.packets[0].bytes[0], kinds[i]);
      EXPECT_EQ(page.granule, 0);
    }
    EXPECT_TRUE(ogg.pages[0].beginOfStream);
    EXPECT_FALSE(ogg.pages[3].continued);
    EXPECT_TRUE(ogg.pages.back().endOfStream);
    for (size_t i = 0; i + 1 < ogg.pages.size(); ++i) EXPECT_FALSE(ogg.pages[i].endOfStream) << "page " << i;
    if (frames >= 0) { EXPECT_EQ(ogg.pages.back().granule, frames); }
  }
};

TEST_F(OggRecordInterop, QualityModeRecordingIsValidAndSampleExact) {
  MakeInput("in.wav", 44100, 2, 16, "2.5");
  Set({"qualityBased=1", "quality=60"});
  const fs::path output = m_dir / "take.ogg";
  const ProcessResult run = Corvox({"record", "--format", "ogg", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Trim(run.out), output.string());

  const std::string report = OggInfo(output);
  EXPECT_NE(report.find("Upper bitrate not set"), std::string::npos) << report;
  EXPECT_NE(report.find("Lower bitrate not set"), std::string::npos) << report;
  EXPECT_EQ(Probe(output), "codec_name=vorbis\nsample_rate=44100\nchannels=2\nduration_ts=110250\n");
  ExpectLayout(output, 110250);
}

TEST_F(OggRecordInterop, ManagedBitrateRecordingCarriesTheChosenBitrates) {
  MakeInput("in.wav", 22050, 1, 16, "1.5");
  ASSERT_EQ(Corvox({"settings", "set", "Device Settings 0", "samplesPerSec=22050", "channels=1"}).exitCode, 0);
  Set({"qualityBased=0", "minBitrateKbps=32", "averageBitrateKbps=48", "maxBitrateKbps=64"});
  const fs::path output = m_dir / "managed.ogg";
  const ProcessResult run = Corvox({"record", "--format", "ogg", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const std::string report = OggInfo(output);
  EXPECT_NE(report.find("Upper bitrate: 64.000000 kb/s"), std::string::npos) << report;
  EXPECT_NE(report.find("Nominal bitrate: 48.000000 kb/s"), std::string::npos) << report;
  EXPECT_NE(report.find("Lower bitrate: 32.000000 kb/s"), std::string::npos) << report;
  EXPECT_EQ(Probe(output), "codec_name=vorbis\nsample_rate=22050\nchannels=1\nduration_ts=33075\n");
  ExpectLayout(output, 33075);
}

TEST_F(OggRecordInterop, EightBitDeviceSettingRecordsSixteenBitAudio) {
  MakeInput("in.wav", 44100, 2, 16, "0.5");
  ASSERT_EQ(Corvox({"settings", "set", "Device Settings 0", "bitsPerSample=8"}).exitCode, 0);
  const fs::path output = m_dir / "eight.ogg";
  const ProcessResult run = Corvox({"record", "--format", "ogg", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  OggInfo(output);
  ExpectLayout(output, 22050);
}

TEST_F(OggRecordInterop, FivePointOneKeepsEachChannelInItsPlace) {
  // A low tone on the low-frequency channel only (the fourth in the WAV order).
  const fs::path mono = m_dir / "lfe.wav";
  ASSERT_EQ(RunProcess({"sox", "-n", "-r", "44100", "-c", "1", "-b", "16", mono.string(), "synth", "1", "sine", "60",
                        "vol", "0.5"})
                .exitCode,
            0);
  const fs::path six = m_dir / "six.wav";
  ASSERT_EQ(RunProcess({"sox", mono.string(), six.string(), "remix", "0", "0", "0", "1", "0", "0"}).exitCode, 0);
  m_env["CORVOX_VIRTUAL_INPUT"] = six.string();
  ASSERT_EQ(Corvox({"settings", "set", "Device Settings 0", "channels=6"}).exitCode, 0);
  const fs::path output = m_dir / "six.ogg";
  const ProcessResult run = Corvox({"record", "--format", "ogg", "--output", output.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  OggInfo(output);
  ExpectLayout(output, 44100);

  // FFmpeg decodes back to the WAV order: the sound is on the fourth channel alone.
  const fs::path decoded = m_dir / "decoded.wav";
  ASSERT_EQ(RunProcess({"ffmpeg", "-v", "error", "-i", output.string(), decoded.string()}).exitCode, 0);
  for (int channel = 1; channel <= 6; ++channel) {
    const ProcessResult stat = RunProcess({"sox", decoded.string(), "-n", "remix", std::to_string(channel), "stat"});
    const size_t at = stat.err.find("RMS     amplitude:");
    ASSERT_NE(at, std::string::npos) << stat.err;
    const double rms = std::stod(stat.err.substr(at + 18));
    if (channel == 4)
      EXPECT_GT(rms, 0.3);
    else
      EXPECT_LT(rms, 0.01) << "channel " << channel;
  }
}

TEST_F(OggRecordInterop, CtrlCAndTimeLimitLeaveCompleteFiles) {
  m_env["CORVOX_VIRTUAL_PACE"] = "1";
  MakeInput("in.wav", 44100, 2, 16, "10");
  const fs::path interrupted = m_dir / "interrupted.ogg";
  const ProcessResult stopped =
      RunProcess({CORVOX_BINARY, "record", "--format", "ogg", "--output", interrupted.string()}, m_env,
                 std::chrono::milliseconds(1500));
  ASSERT_EQ(stopped.exitCode, 0) << stopped.err;
  OggInfo(interrupted);
  ExpectLayout(interrupted, -1);

  const fs::path timed = m_dir / "timed.ogg";
  const ProcessResult limited = Corvox({"record", "--format", "ogg", "--seconds", "1", "--output", timed.string()});
  ASSERT_EQ(limited.exitCode, 0) << limited.err;
  OggInfo(timed);
  ExpectLayout(timed, -1);
  const double seconds = std::stod(Trim(RunProcess({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                                                    "default=noprint_wrappers=1:nokey=1", timed.string()})
                                            .out));
  EXPECT_GT(seconds, 0.8);
  EXPECT_LT(seconds, 2.0);
}

}  // namespace
