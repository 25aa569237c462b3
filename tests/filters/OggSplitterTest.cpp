// The splitter reading back what our multiplexer writes, seeking, and damaged files.

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <thread>

#include "filters/OggMuxRig.h"
#include "filters/OggSplitterRig.h"
#include "filters/TimeScale.h"
#include "filters/VorbisDec.h"
#include "filters/VorbisDecRig.h"
#include "filters/VorbisFormat.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

constexpr REFERENCE_TIME kTenth = kUnitsPerSecond / 10;

// 2 s of 16-bit stereo PCM at 44100 Hz in tenths of a second, and three subtitles.
std::vector<uint8_t> MakePcmAndText() {
  OggMuxRig rig;
  EXPECT_EQ(rig.AddSource(PcmType(44100, 2, 16), 17640), 0);
  EXPECT_EQ(rig.AddSource(TextType()), 1);
  EXPECT_EQ(rig.ConnectOutput(), S_OK);
  EXPECT_EQ(rig.Run(), S_OK);
  const char* lines[] = {"one", "two", "three"};
  for (int i = 0; i < 20; ++i) {
    std::vector<uint8_t> pcm(17640, static_cast<uint8_t>(i));
    EXPECT_EQ(rig.Send(0, pcm, i * kTenth, (i + 1) * kTenth), S_OK);
    if (i % 6 == 1 && i / 6 < 3) {
      const char* line = lines[i / 6];
      EXPECT_EQ(rig.Send(1, {reinterpret_cast<const uint8_t*>(line), std::strlen(line)}, i * kTenth, (i + 4) * kTenth),
                S_OK);
    }
  }
  rig.EndOfStream(0);
  rig.EndOfStream(1);
  rig.Stop();
  return rig.FileBytes();
}

// Made once: the multiplexer waits for the sparse subtitle stream a while.
const std::vector<uint8_t>& MuxPcmAndText() {
  static const std::vector<uint8_t> bytes = MakePcmAndText();
  return bytes;
}

std::string Text(const ReceivedSample& sample) { return {sample.bytes.begin(), sample.bytes.end()}; }

class OggSplitterTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    ScratchFolder::Write(folder.File(name), bytes);
    return folder.File(name);
  }
  // oggenc's encoding of a 10 s tone, or empty when the tools are missing.
  std::string Tone() {
    const std::string wav = folder.File("tone.wav"), ogg = folder.File("tone.ogg");
    if (RunProcess({"sox", "-n", "-b", "16", "-r", "44100", "-c", "2", wav, "synth", "10", "sine", "440"}).exitCode !=
            0 ||
        RunProcess({"oggenc", "-Q", wav, "-o", ogg}).exitCode != 0)
      return {};
    return ogg;
  }
  ScratchFolder folder;
};

TEST_F(OggSplitterTest, GenericAudioAndTextComeBackWithTheirTypesTimesAndDuration) {
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("mux.ogg", MuxPcmAndText())), S_OK);
  ASSERT_EQ(rig.SinkCount(), 2u);
  EXPECT_EQ(rig.OutputName(0), "Audio 0");
  EXPECT_EQ(rig.OutputName(1), "Subtitle 65535");  // the placeholder owns the subtitle output
  const std::optional<WAVEFORMATEX> wave = WaveFormatOf(rig.OutputType(0));
  ASSERT_TRUE(wave);
  EXPECT_EQ(*wave, MakePcmFormat(44100, 2, 16));
  EXPECT_EQ(rig.OutputType(0).subtype, MEDIASUBTYPE_PCM);
  EXPECT_EQ(rig.OutputType(1).majortype, MEDIATYPE_Text);

  REFERENCE_TIME duration = 0;
  ASSERT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 20 * kTenth);

  uint32_t count = 0;
  rig.Splitter().Count(&count);
  ASSERT_EQ(count, 3u);
  std::string name;
  uint32_t flags = 0, language = 0;
  int32_t group = 0;
  ASSERT_EQ(rig.Splitter().Info(1, nullptr, &flags, &language, &group, &name), S_OK);
  EXPECT_EQ(name, "Subtitle off");
  EXPECT_EQ(flags, AMSTREAMSELECTINFO_ENABLED);
  EXPECT_EQ(language, 0x09u);
  ASSERT_EQ(rig.Splitter().Info(2, nullptr, &flags, &language, &group, &name), S_OK);
  EXPECT_EQ(name, "Subtitle 1");
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(language, 0u);
  EXPECT_EQ(rig.Splitter().Info(3, nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> audio = rig.Sink(0).Samples();
  ASSERT_EQ(audio.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(audio[i].times, (SampleTimes{i * kTenth, (i + 1) * kTenth})) << i;
    EXPECT_EQ(audio[i].bytes, std::vector<uint8_t>(17640, static_cast<uint8_t>(i)));
    EXPECT_EQ(audio[i].discontinuity, i == 0);
  }
  // Subtitles start switched off: one blank sample a second.
  const std::vector<ReceivedSample> text = rig.Sink(1).Samples();
  ASSERT_EQ(text.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(text[i].bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(text[i].times, (SampleTimes{i * kUnitsPerSecond, (i + 1) * kUnitsPerSecond}));
    EXPECT_TRUE(text[i].syncPoint);
  }
}

TEST_F(OggSplitterTest, VorbisStreamOfTheMultiplexerComesBackPacketForPacket) {
  const long rateHz = 22050;
  const VorbisTestStream stream =
      EncodeVorbisStream(rateHz, {Sine(3 * rateHz, 440, rateHz, 0.5), Sine(3 * rateHz, 660, rateHz, 0.5)});
  OggMuxRig mux;
  ASSERT_EQ(mux.AddSource(VorbisType(rateHz, 2)), 0);
  ASSERT_EQ(mux.ConnectOutput(), S_OK);
  ASSERT_EQ(mux.Run(), S_OK);
  for (const VorbisTestPacket& packet : stream.packets) {
    const REFERENCE_TIME time = packet.granule * kUnitsPerSecond / rateHz;
    ASSERT_EQ(mux.Send(0, packet.bytes, time, time), S_OK);
  }
  mux.EndOfStream(0);
  mux.Stop();

  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("vorbis.ogg", mux.FileBytes())), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  EXPECT_EQ(rig.OutputName(0), "Audio 0");
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(rig.OutputType(0));
  ASSERT_TRUE(format);
  EXPECT_EQ(format->nChannels, 2u);
  EXPECT_EQ(format->nSamplesPerSec, rateHz);
  REFERENCE_TIME duration = 0;
  ASSERT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, ScaleRounded(stream.packets.back().granule, kUnitsPerSecond, rateHz));

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> samples = rig.Sink(0).Samples();
  ASSERT_EQ(samples.size(), stream.packets.size());
  for (size_t i = 3; i < samples.size(); ++i) {
    EXPECT_EQ(samples[i].bytes, stream.packets[i].bytes) << i;
    EXPECT_EQ(samples[i].times->start, ScaleRounded(stream.packets[i].granule, kUnitsPerSecond, rateHz)) << i;
  }
}

TEST_F(OggSplitterTest, GenericVideoComesBackAsVideoInfo) {
  constexpr uint32_t kXvid = 0x44495658;
  constexpr REFERENCE_TIME kFrame = 400000;
  OggMuxRig mux;
  ASSERT_EQ(mux.AddSource(VideoType(kXvid, kFrame, 32, 24, 24), 4096), 0);
  ASSERT_EQ(mux.ConnectOutput(), S_OK);
  ASSERT_EQ(mux.Run(), S_OK);
  for (int i = 0; i < 50; ++i)
    ASSERT_EQ(mux.Send(0, std::vector<uint8_t>(100 + i, static_cast<uint8_t>(i)), i * kFrame, (i + 1) * kFrame), S_OK);
  mux.EndOfStream(0);
  mux.Stop();

  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("video.ogg", mux.FileBytes())), S_OK);
  ASSERT_EQ(rig.SinkCount(), 1u);
  EXPECT_EQ(rig.OutputName(0), "Video 0");
  const AM_MEDIA_TYPE type = rig.OutputType(0);
  EXPECT_EQ(type.majortype, MEDIATYPE_Video);
  EXPECT_EQ(type.subtype, VideoType(kXvid, kFrame, 32, 24, 24).subtype);
  EXPECT_EQ(type.formattype, FORMAT_VideoInfo);
  REFERENCE_TIME duration = 0;
  ASSERT_EQ(rig.Splitter().GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 50 * kFrame);

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> frames = rig.Sink(0).Samples();
  ASSERT_EQ(frames.size(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(frames[i].bytes, std::vector<uint8_t>(100 + i, static_cast<uint8_t>(i))) << i;
    EXPECT_EQ(frames[i].times, (SampleTimes{i * kFrame, (i + 1) * kFrame})) << i;
  }
}

TEST_F(OggSplitterTest, ChosenSubtitlesReplaceThePlaceholder) {
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("mux.ogg", MuxPcmAndText())), S_OK);
  ASSERT_EQ(rig.Splitter().Enable(2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
  uint32_t flags = 0;
  rig.Splitter().Info(1, nullptr, &flags, nullptr, nullptr, nullptr);
  EXPECT_EQ(flags, 0u);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> text = rig.Sink(1).Samples();
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(Text(text[0]), "one");
  EXPECT_EQ(text[0].times, (SampleTimes{1 * kTenth, 7 * kTenth}));  // ended by the next subtitle
  EXPECT_EQ(Text(text[2]), "three");
  EXPECT_EQ(text[2].times, (SampleTimes{13 * kTenth, 17 * kTenth}));
  EXPECT_TRUE(text[1].syncPoint);
}

TEST_F(OggSplitterTest, ShowingEveryStreamGivesEachItsOwnOutputAtTheNextScan) {
  const std::string path = Write("mux.ogg", MuxPcmAndText());
  OggSplitterRig rig;
  ASSERT_EQ(rig.Splitter().Enable(0, COggSplitter::kShowEveryStream), S_OK);
  ASSERT_EQ(rig.Open(path), S_OK);
  ASSERT_EQ(rig.SinkCount(), 2u);
  EXPECT_EQ(rig.OutputName(1), "Subtitle 1");
  uint32_t count = 0;
  rig.Splitter().Count(&count);
  EXPECT_EQ(count, 2u);
}

TEST_F(OggSplitterTest, SeeksWithinAGenericStream) {
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("mux.ogg", MuxPcmAndText())), S_OK);
  ASSERT_EQ(rig.SeekTo(5 * kTenth), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> audio = rig.Sink(0).Samples();
  ASSERT_EQ(audio.size(), 15u);
  EXPECT_EQ(audio.front().times, (SampleTimes{0, kTenth}));  // relative to the seek position
  EXPECT_EQ(audio.front().bytes[0], 5);
  EXPECT_TRUE(audio.front().discontinuity);
}

TEST_F(OggSplitterTest, SeekingToTheMiddleStartsThereWithTheHeadersFirst) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(tone), S_OK);
  const REFERENCE_TIME target = 5 * kUnitsPerSecond;
  ASSERT_EQ(rig.SeekTo(target), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> samples = rig.Sink(0).Samples();
  ASSERT_GT(samples.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(samples[i].bytes[0], 2 * i + 1);
  const std::vector<ReceivedSample> audio = AudioPackets(samples);
  EXPECT_EQ(audio.size(), samples.size() - 3);
  ASSERT_GE(audio.size(), 2u);
  // The last packet that ends before the target, as preroll for the decoder, then the first
  // that ends at or after it; a page holds well under a second.
  EXPECT_LT(audio[0].times->start, 0);
  EXPECT_TRUE(audio[0].preroll);
  EXPECT_TRUE(audio[0].discontinuity);
  EXPECT_GE(audio[1].times->start, 0);
  EXPECT_LT(audio[1].times->start, kUnitsPerSecond / 2);
  EXPECT_FALSE(audio[1].preroll);
  EXPECT_FALSE(audio[1].discontinuity);
  EXPECT_EQ(audio.back().times->start, 5 * kUnitsPerSecond);
}

TEST_F(OggSplitterTest, SeekingWhileRunningFlushesAndStartsOverFromZero) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(tone), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const size_t firstRun = rig.Sink(0).Samples().size();
  ASSERT_EQ(rig.SeekTo(0), S_OK);
  ASSERT_TRUE(rig.Sink(0).WaitForSamples(2 * firstRun, 20000));
  const std::vector<ReceivedSample> samples = rig.Sink(0).Samples();
  ASSERT_EQ(samples.size(), 2 * firstRun);
  for (size_t i = 0; i < firstRun; ++i) {
    EXPECT_EQ(samples[firstRun + i].bytes, samples[i].bytes) << i;
    EXPECT_EQ(samples[firstRun + i].times, samples[i].times) << i;
  }
  REFERENCE_TIME current = -1;
  rig.Splitter().GetCurrentPosition(&current);
  EXPECT_EQ(current, 0);
}

// Seeks arriving while the threads deliver, switching streams between them: each one flushes
// and starts over, and the last one still runs to the end.
TEST_F(OggSplitterTest, SeeksInQuickSuccessionWhileRunning) {
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("mux.ogg", MuxPcmAndText())), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(rig.SeekTo((i * 7 % 25) * kTenth), S_OK);
    ASSERT_EQ(rig.Splitter().Enable(1 + i % 2, AMSTREAMSELECTENABLE_ENABLE), S_OK);
  }
  ASSERT_EQ(rig.SeekTo(15 * kTenth), S_OK);
  const auto lastRunHasEnded = [&] {
    const std::vector<ReceivedSample> audio = rig.Sink(0).Samples();
    return !audio.empty() && audio.back().times == (SampleTimes{4 * kTenth, 5 * kTenth});
  };
  for (int wait = 0; wait < 200 && !lastRunHasEnded(); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(lastRunHasEnded());
  EXPECT_EQ(rig.Stop(), S_OK);
}

TEST_F(OggSplitterTest, SeekingPastTheEndDeliversOnlyTheHeaders) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(tone), S_OK);
  ASSERT_EQ(rig.SeekTo(60 * kUnitsPerSecond), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  EXPECT_EQ(rig.Sink(0).Samples().size(), 3u);
}

TEST_F(OggSplitterTest, StopPositionEndsTheStreamThere) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(tone), S_OK);
  REFERENCE_TIME start = 2 * kUnitsPerSecond, stop = 3 * kUnitsPerSecond;
  ASSERT_EQ(rig.Graph().SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning),
            S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::vector<ReceivedSample> audio = AudioPackets(rig.Sink(0).Samples());
  ASSERT_FALSE(audio.empty());
  // The last packet carries the audio up to the stop; the one after it would start past it.
  EXPECT_GE(audio.back().times->start, kUnitsPerSecond);
  EXPECT_LT(audio.back().times->start, kUnitsPerSecond + kUnitsPerSecond / 10);
}

// The chain the player and the waveform reader build: source, splitter, Vorbis decoder.
TEST_F(OggSplitterTest, FeedsTheVorbisDecoder) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  auto graph = std::make_shared<CFilterGraph>();
  auto splitter = std::make_shared<COggSplitter>();
  auto decoder = std::make_shared<CVorbisDec>();
  auto sink = std::make_shared<CFakeSinkFilter>();
  std::shared_ptr<IBaseFilter> source;
  ASSERT_EQ(graph->AddSourceFilter(tone, "Source", &source), S_OK);
  graph->AddFilter(splitter, "Splitter");
  graph->AddFilter(decoder, "Decoder");
  graph->AddFilter(sink, "Sink");
  IPin* output = nullptr;
  source->FindPin("Output", &output);
  ASSERT_EQ(graph->ConnectDirect(output, splitter->GetPin(0), nullptr), S_OK);
  ASSERT_EQ(graph->ConnectDirect(splitter->GetPin(1), decoder->GetPin(0), nullptr), S_OK);
  ASSERT_EQ(graph->ConnectDirect(decoder->GetPin(1), &sink->HostedPin(), nullptr), S_OK);
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_TRUE(sink->HostedPin().WaitForEndOfStream(20000));
  graph->Stop();
  EXPECT_EQ(sink->HostedPin().AllBytes().size(), 441000u * 4);
}

// ---- damaged files: refused or read to the end, never a crash or a hang ----

void ExpectSafe(const std::string& path) {
  OggSplitterRig rig;
  if (FAILED(rig.Open(path))) return;
  ASSERT_EQ(rig.Run(), S_OK);
  EXPECT_TRUE(rig.WaitForEnd());
  EXPECT_EQ(rig.Stop(), S_OK);
}

TEST_F(OggSplitterTest, RefusesFilesWithoutAStreamItCanPlay) {
  OggSplitterRig empty;
  EXPECT_TRUE(FAILED(empty.Open(Write("empty.ogg", {}))));
  EXPECT_EQ(empty.Splitter().GetPinCount(), 1);
  OggSplitterRig noise;
  std::vector<uint8_t> bytes = {'O', 'g', 'g', 'S'};
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) bytes.push_back(static_cast<uint8_t>(random()));
  EXPECT_TRUE(FAILED(noise.Open(Write("noise.ogg", bytes))));
  EXPECT_EQ(noise.Splitter().GetPinCount(), 1);
}

TEST_F(OggSplitterTest, StreamWithoutItsHeadersIsRefused) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  std::vector<uint8_t> bytes = ScratchFolder::Read(tone);
  // The second "OggS" after the identification page starts the comment and codebook pages.
  size_t cut = 4;
  for (int found = 0; found < 2; ++cut)
    if (std::memcmp(&bytes[cut], "OggS", 4) == 0) ++found;
  bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(cut - 1));
  OggSplitterRig rig;
  EXPECT_TRUE(FAILED(rig.Open(Write("headless.ogg", bytes))));
  EXPECT_EQ(rig.Splitter().GetPinCount(), 1);
}

TEST_F(OggSplitterTest, DamagedFilesAreReadSafely) {
  const std::string tone = Tone();
  if (tone.empty()) GTEST_SKIP() << "sox or oggenc missing";
  const std::vector<uint8_t> whole = ScratchFolder::Read(tone);

  std::vector<uint8_t> truncated(whole.begin(), whole.begin() + static_cast<long>(whole.size() * 6 / 10));
  ExpectSafe(Write("truncated.ogg", truncated));

  std::vector<uint8_t> corrupt = whole;
  for (size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 3000; ++i) corrupt[i] ^= 0x5A;
  ExpectSafe(Write("corrupt.ogg", corrupt));

  std::vector<uint8_t> noisy = whole;
  std::mt19937 random(11);
  const size_t at = noisy.size() / 3;
  for (size_t i = at; i < at + 8192; ++i) noisy[i] = static_cast<uint8_t>(random());
  std::memcpy(&noisy[at], "OggS", 4);
  ExpectSafe(Write("noisy.ogg", noisy));

  std::vector<uint8_t> headersOnly(whole.begin(), whole.begin() + 4000);
  ExpectSafe(Write("headers.ogg", headersOnly));
}

// A page whose granule position no real stream reaches, checksum and all.
TEST_F(OggSplitterTest, GranulePositionsBeyondAnyStreamAreNotCountedWith) {
  std::vector<uint8_t> bytes = MuxPcmAndText();
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
  std::memcpy(buffer, bytes.data(), bytes.size());
  ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
  ogg_page page;
  size_t offset = 0;
  int changed = 0;
  while (ogg_sync_pageout(&sync, &page) == 1) {
    const size_t length = static_cast<size_t>(page.header_len + page.body_len);
    if (ogg_page_granulepos(&page) > 0 && changed++ % 2 == 0) {
      const int64_t huge = INT64_MAX - 3;
      std::memcpy(page.header + 6, &huge, 8);
      ogg_page_checksum_set(&page);
      std::memcpy(&bytes[offset], page.header, static_cast<size_t>(page.header_len));
    }
    offset += length;
  }
  ogg_sync_clear(&sync);
  ASSERT_GT(changed, 2);
  OggSplitterRig rig;
  ASSERT_EQ(rig.Open(Write("huge.ogg", bytes)), S_OK);
  ASSERT_EQ(rig.SeekTo(7 * kTenth), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  EXPECT_TRUE(rig.WaitForEnd());
  for (const ReceivedSample& sample : rig.Sink(0).Samples()) {
    ASSERT_TRUE(sample.times);
    EXPECT_LT(sample.times->start, 20 * kTenth);
  }
}

}  // namespace
