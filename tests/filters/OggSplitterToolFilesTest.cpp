// The splitter on Ogg files made by tools we did not write: oggenc, ffmpeg, vorbiscomment.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "filters/OggSplitterRig.h"
#include "filters/VorbisFormat.h"
#include "filters/VorbisTestDecoder.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

bool Tool(const std::vector<std::string>& argv) { return RunProcess(argv).exitCode == 0; }

bool HaveTools() {
  return Tool({"sh", "-c", "command -v oggenc && command -v ffprobe && command -v oggdec && command -v sox"});
}

// A tone of `seconds` through oggenc.
std::string MakeOggenc(const ScratchFolder& folder, const std::string& name, int rateHz, int channels, double seconds) {
  const std::string wav = folder.File(name + ".wav");
  const std::string ogg = folder.File(name + ".ogg");
  EXPECT_TRUE(Tool({"sox", "-n", "-b", "16", "-r", std::to_string(rateHz), "-c", std::to_string(channels), wav, "synth",
                    std::to_string(seconds), "sine", "300-3000"}));
  EXPECT_TRUE(Tool({"oggenc", "-Q", "-q", "3", wav, "-o", ogg}));
  return ogg;
}

double FfprobeSeconds(const std::string& path) {
  const ProcessResult result =
      RunProcess({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
  return std::atof(result.out.c_str());
}

double Seconds(REFERENCE_TIME time) { return static_cast<double>(time) / kUnitsPerSecond; }

REFERENCE_TIME ExpectFfprobeDuration(OggSplitterRig& rig, const std::string& ogg) {
  REFERENCE_TIME duration = 0;
  EXPECT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_NEAR(Seconds(duration), FfprobeSeconds(ogg), 1e-4);
  return duration;
}

// oggdec's 16-bit output, interleaved.
std::vector<int16_t> Oggdec(const ScratchFolder& folder, const std::string& ogg) {
  const std::string raw = folder.File("decoded.raw");
  EXPECT_TRUE(Tool({"oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-s", "1", ogg, "-o", raw}));
  std::vector<uint8_t> bytes = ScratchFolder::Read(raw);
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return samples;
}

class OggSplitterToolFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTools()) GTEST_SKIP() << "oggenc, oggdec, sox or ffprobe missing";
  }
  ScratchFolder folder;
};

struct ToneCase {
  int rateHz;
  int channels;
};

class OggencFileTest : public OggSplitterToolFilesTest, public ::testing::WithParamInterface<ToneCase> {};

// Every packet arrives, in order, and decodes to what oggdec makes of the file.
TEST_P(OggencFileTest, DeliversEveryPacketWithTheFilesDuration) {
  const ToneCase tone = GetParam();
  const std::string ogg = MakeOggenc(folder, "tone", tone.rateHz, tone.channels, 2.5);
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(ogg), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(rig.OutputType(0));
  ASSERT_TRUE(format);
  EXPECT_EQ(format->nChannels, static_cast<uint32_t>(tone.channels));
  EXPECT_EQ(format->nSamplesPerSec, tone.rateHz);
  EXPECT_EQ(rig.OutputName(0).rfind("Audio ", 0), 0u);
  const REFERENCE_TIME duration = ExpectFfprobeDuration(rig, ogg);

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> samples = rig.Sink(0).Samples();
  ASSERT_GT(samples.size(), 3u);
  const std::vector<ReceivedSample> audio = AudioPackets(samples);
  ASSERT_EQ(audio.size(), samples.size() - 3);
  EXPECT_TRUE(audio.front().discontinuity);
  for (size_t i = 1; i < audio.size(); ++i) {
    EXPECT_GT(audio[i].times->start, audio[i - 1].times->start);
    EXPECT_FALSE(audio[i].discontinuity);
  }
  EXPECT_EQ(audio.back().times->start, duration);

  const DecodedVorbis decoded = DecodeVorbisPackets(samples);
  ASSERT_TRUE(decoded.valid);
  const std::vector<int16_t> reference = Oggdec(folder, ogg);
  const size_t frames = reference.size() / tone.channels;
  ASSERT_GE(decoded.samples[0].size(), frames);
  EXPECT_LE(decoded.samples[0].size() - frames, 2048u);  // only the end trimmed by the last granule
  int worst = 0;
  for (size_t f = 0; f < frames; ++f)
    for (int c = 0; c < tone.channels; ++c) {
      const long value = std::lrint(std::clamp(decoded.samples[c][f] * 32768.0f, -32768.0f, 32767.0f));
      worst = std::max(worst, std::abs(static_cast<int>(value) - reference[f * tone.channels + c]));
    }
  EXPECT_LE(worst, 1);
}

INSTANTIATE_TEST_SUITE_P(RatesAndChannels, OggencFileTest,
                         ::testing::Values(ToneCase{44100, 1}, ToneCase{44100, 2}, ToneCase{48000, 6},
                                           ToneCase{22050, 2}, ToneCase{8000, 1}));

TEST_F(OggSplitterToolFilesTest, ReadsFfmpegVorbis) {
  const std::string ogg = folder.File("ffmpeg.ogg");
  ASSERT_TRUE(Tool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=500:duration=3:sample_rate=32000",
                    "-c:a", "libvorbis", ogg}));
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(ogg), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  ExpectFfprobeDuration(rig, ogg);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  EXPECT_TRUE(DecodeVorbisPackets(rig.Sink(0).Samples()).valid);
}

TEST_F(OggSplitterToolFilesTest, ChaptersAndLanguageFromVorbiscomment) {
  const std::string ogg = MakeOggenc(folder, "chapters", 44100, 2, 3);
  ASSERT_TRUE(Tool({"vorbiscomment", "-w", "-t", "CHAPTER01=00:00:00.000", "-t", "CHAPTER01NAME=Opening", "-t",
                    "CHAPTER02=00:00:01.500", "-t", "LANGUAGE=german", ogg}));
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(ogg), S_OK);
  uint32_t count = 0;
  ASSERT_EQ(rig.Splitter().Count(&count), S_OK);
  ASSERT_EQ(count, 3u);

  std::string name;
  uint32_t language = 0, flags = 0;
  int32_t group = 0;
  ASSERT_EQ(rig.Splitter().Info(0, nullptr, &flags, &language, &group, &name), S_OK);
  EXPECT_EQ(name, "Audio german");
  EXPECT_EQ(language, 0x07u);
  EXPECT_EQ(flags, AMSTREAMSELECTINFO_ENABLED);
  ASSERT_EQ(rig.Splitter().Info(1, nullptr, &flags, &language, &group, &name), S_OK);
  EXPECT_EQ(name, "00:00:00.000 Opening");
  EXPECT_EQ(group, -16);
  EXPECT_EQ(flags, AMSTREAMSELECTINFO_ENABLED);  // the position is 0
  ASSERT_EQ(rig.Splitter().Info(2, nullptr, &flags, nullptr, nullptr, &name), S_OK);
  EXPECT_EQ(name, "00:00:01.500 Chapter 2");
  EXPECT_EQ(flags, 0u);

  // Choosing the second chapter seeks the graph there, which makes it the current one.
  ASSERT_EQ(rig.Splitter().Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
  REFERENCE_TIME current = 0;
  ASSERT_EQ(rig.Splitter().GetCurrentPosition(&current), S_OK);
  EXPECT_EQ(current, 15'000'000);
  ASSERT_EQ(rig.Splitter().Info(1, nullptr, &flags, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(flags, 0u);
  ASSERT_EQ(rig.Splitter().Info(2, nullptr, &flags, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(flags, AMSTREAMSELECTINFO_ENABLED);
}

// A chained file plays as one stream: the second link's headers, then its packets timed on from
// where the first ended; the duration is the sum of both (ffprobe gives only the last link's).
TEST_F(OggSplitterToolFilesTest, ChainedFilePlaysEveryLink) {
  const std::string first = MakeOggenc(folder, "first", 44100, 2, 2);
  const std::string second = MakeOggenc(folder, "second", 44100, 2, 1);
  std::vector<uint8_t> chained = ScratchFolder::Read(first);
  const std::vector<uint8_t> tail = ScratchFolder::Read(second);
  chained.insert(chained.end(), tail.begin(), tail.end());
  ScratchFolder::Write(folder.File("chained.ogg"), chained);

  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(folder.File("chained.ogg")), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  uint32_t count = 0;
  rig.Splitter().Count(&count);
  EXPECT_EQ(count, 1u);
  REFERENCE_TIME duration = 0;
  ASSERT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 3 * kUnitsPerSecond);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> samples = rig.Sink(0).Samples();
  size_t headers = 0, secondLinkAt = 0;
  for (size_t i = 0; i < samples.size(); ++i)
    if ((samples[i].bytes[0] & 1) != 0 && ++headers == 4) secondLinkAt = i;
  EXPECT_EQ(headers, 6u);
  ASSERT_GT(secondLinkAt, 3u);
  ASSERT_LT(secondLinkAt + 3, samples.size());
  EXPECT_EQ(samples[secondLinkAt - 1].times->start, 2 * kUnitsPerSecond);  // the first link's last
  EXPECT_EQ(samples[secondLinkAt + 3].times->start, 2 * kUnitsPerSecond);  // the second's first
  const std::vector<ReceivedSample> audio = AudioPackets(samples);
  EXPECT_EQ(audio.back().times->start, 3 * kUnitsPerSecond);
}

// The same file twice: both links have one serial number, told apart by where they begin.
TEST_F(OggSplitterToolFilesTest, ChainOfOneFileTwiceHasBothLinks) {
  std::vector<uint8_t> chained = ScratchFolder::Read(MakeOggenc(folder, "once", 44100, 2, 1.5));
  const std::vector<uint8_t> copy = chained;
  chained.insert(chained.end(), copy.begin(), copy.end());
  ScratchFolder::Write(folder.File("twice.ogg"), chained);
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(folder.File("twice.ogg")), S_OK);
  REFERENCE_TIME duration = 0;
  ASSERT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 3 * kUnitsPerSecond);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> audio = AudioPackets(rig.Sink(0).Samples());
  ASSERT_GT(audio.size(), 2u);
  EXPECT_EQ(audio.front().times->start, 0);
  // Later only, but at the link: the second link's first packet (no audio of its own) is timed
  // where the first link's last packet ended.
  size_t ties = 0;
  for (size_t i = 1; i < audio.size(); ++i) {
    EXPECT_GE(audio[i].times->start, audio[i - 1].times->start) << i;
    if (audio[i].times->start == audio[i - 1].times->start) ++ties;
  }
  EXPECT_EQ(ties, 1u);
  EXPECT_EQ(audio.back().times->start, 3 * kUnitsPerSecond);
}

// Two logical streams side by side: one output, the second stream its switched-off alternative,
// the duration that of the longer, as ffprobe has it.
TEST_F(OggSplitterToolFilesTest, MultiplexedStreamsShareAnOutput) {
  const std::string ogg = folder.File("two.ogg");
  ASSERT_TRUE(Tool({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=500:duration=3", "-f", "lavfi", "-i",
                    "sine=frequency=800:duration=2", "-map", "0", "-map", "1", "-c:a", "libvorbis", ogg}));
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(ogg), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  ExpectFfprobeDuration(rig, ogg);
  uint32_t flags = 0;
  int32_t group0 = -1, group1 = -1;
  rig.Splitter().Info(0, nullptr, &flags, nullptr, &group0, nullptr);
  EXPECT_EQ(flags, AMSTREAMSELECTINFO_ENABLED);
  rig.Splitter().Info(1, nullptr, &flags, nullptr, &group1, nullptr);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(group0, group1);

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> audio = AudioPackets(rig.Sink(0).Samples());
  ASSERT_FALSE(audio.empty());
  EXPECT_NEAR(Seconds(audio.back().times->start), 3.0, 0.05);

  // Choosing the other stream sends its own headers and audio on the same output.
  OggSplitterRig other;
  ASSERT_EQ(other.Open(ogg), S_OK);
  ASSERT_EQ(other.Splitter().Enable(1, AMSTREAMSELECTENABLE_ENABLE), S_OK);
  other.Splitter().Info(0, nullptr, &flags, nullptr, nullptr, nullptr);
  EXPECT_EQ(flags, 0u);
  ASSERT_EQ(other.Run(), S_OK);
  ASSERT_TRUE(other.WaitForEnd());
  const std::vector<ReceivedSample> second = other.Sink(0).Samples();
  const std::vector<ReceivedSample> secondAudio = AudioPackets(second);
  ASSERT_FALSE(secondAudio.empty());
  EXPECT_NEAR(Seconds(secondAudio.back().times->start), 2.0, 0.05);
  const DecodedVorbis decoded = DecodeVorbisPackets(second);
  ASSERT_TRUE(decoded.valid);
  EXPECT_NEAR(static_cast<double>(decoded.samples[0].size()) / decoded.rateHz, 2.0, 0.05);
}

}  // namespace
