// The decoder against oggdec on files made by oggenc and ffmpeg, fed the files' packets
// directly and through the Ogg splitter as the player and the waveform reader chain it. Float
// output rounded as oggdec rounds (x 32768, to nearest) must equal oggdec's samples exactly;
// the 16-bit output scales by 32767 and truncates, which puts it at most 2 from oggdec's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "filters/OggSplitter.h"
#include "filters/TimeScale.h"
#include "filters/VorbisDecRig.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

struct ToolFile {
  const char* name;
  int channels;
  long rateHz;
  bool ffmpeg;  // else oggenc
};

void PrintTo(const ToolFile& file, std::ostream* out) { *out << file.name; }

constexpr const char* kSeconds = "1.5";

// File source, Ogg splitter, Vorbis decoder (float output) and a recording sink.
class OggVorbisChain {
 public:
  HRESULT Open(const std::string& path) {
    m_decoder->SetPreferFloat(true);
    std::shared_ptr<IBaseFilter> source;
    HRESULT hr = m_graph->AddSourceFilter(path, "Source", &source);
    if (FAILED(hr)) return hr;
    m_graph->AddFilter(m_splitter, "Splitter");
    m_graph->AddFilter(m_decoder, "Decoder");
    m_graph->AddFilter(m_sink, "Sink");
    IPin* output = nullptr;
    hr = source->FindPin("Output", &output);
    if (SUCCEEDED(hr)) hr = m_graph->ConnectDirect(output, m_splitter->GetPin(0), nullptr);
    if (SUCCEEDED(hr)) hr = m_graph->ConnectDirect(m_splitter->GetPin(1), m_decoder->GetPin(0), nullptr);
    if (SUCCEEDED(hr)) hr = m_graph->ConnectDirect(m_decoder->GetPin(1), &m_sink->HostedPin(), nullptr);
    return hr;
  }
  // Plays from `start` to the end; the samples the sink received.
  std::vector<ReceivedSample> Play(REFERENCE_TIME start) {
    EXPECT_EQ(m_graph->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    EXPECT_EQ(m_graph->Run(), S_OK);
    EXPECT_TRUE(m_sink->HostedPin().WaitForEndOfStream(20000));
    m_graph->Stop();
    return m_sink->HostedPin().Samples();
  }
  REFERENCE_TIME Duration() {
    REFERENCE_TIME duration = -1;
    EXPECT_EQ(m_splitter->GetDuration(&duration), S_OK);
    return duration;
  }

 private:
  std::shared_ptr<CFilterGraph> m_graph = std::make_shared<CFilterGraph>();
  std::shared_ptr<COggSplitter> m_splitter = std::make_shared<COggSplitter>();
  std::shared_ptr<CVorbisDec> m_decoder = std::make_shared<CVorbisDec>();
  std::shared_ptr<CFakeSinkFilter> m_sink = std::make_shared<CFakeSinkFilter>();
};

std::vector<float> FloatsOf(const std::vector<ReceivedSample>& samples) {
  std::vector<float> values;
  for (const ReceivedSample& sample : samples) {
    const size_t at = values.size();
    values.resize(at + sample.bytes.size() / 4);
    std::memcpy(values.data() + at, sample.bytes.data(), sample.bytes.size() / 4 * 4);
  }
  return values;
}

class VorbisDecOggdecTest : public testing::TestWithParam<ToolFile> {
 protected:
  void SetUp() override {
    const ToolFile& file = GetParam();
    const std::string wav = m_folder.File("in.wav"), raw = m_folder.File("oggdec.raw");
    // Tones on every channel, one of them a full-scale square whose decoding overshoots 1.
    std::vector<std::string> make = {"sox",    "-n",
                                     "-r",     std::to_string(file.rateHz),
                                     "-c",     std::to_string(file.channels),
                                     "-b",     "16",
                                     wav,      "synth",
                                     kSeconds, "square",
                                     "300"};
    for (int c = 1; c < file.channels; ++c) {
      make.push_back("sine");
      make.push_back(std::to_string(200 + 150 * c));
    }
    ASSERT_EQ(RunProcess(make).exitCode, 0);
    const ProcessResult encoded =
        file.ffmpeg ? RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", wav, "-c:a", "libvorbis", m_ogg})
                    : RunProcess({"oggenc", "-Q", wav, "-o", m_ogg});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
    // Raw output keeps Vorbis channel order.
    ASSERT_EQ(RunProcess({"oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-s", "1", m_ogg, "-o", raw}).exitCode, 0);
    const std::vector<uint8_t> bytes = ScratchFolder::Read(raw);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) m_reference.push_back(static_cast<int16_t>(GetLe16(&bytes[i])));
    ASSERT_FALSE(m_reference.empty());
  }

  // oggdec's sample for `frame` and the platform's output channel `channel`.
  int16_t Reference(size_t frame, int channel) const {
    static const int vorbisChannelOf6[6] = {0, 2, 1, 5, 3, 4};
    const int channels = GetParam().channels;
    return m_reference[frame * static_cast<size_t>(channels) +
                       static_cast<size_t>(channels == 6 ? vorbisChannelOf6[channel] : channel)];
  }
  size_t Frames() const { return m_reference.size() / static_cast<size_t>(GetParam().channels); }

  // `floats` (interleaved, platform order) from `firstFrame` on, rounded as oggdec rounds.
  void ExpectOggdecFloats(const std::vector<float>& floats, size_t firstFrame) const {
    const int channels = GetParam().channels;
    ASSERT_EQ(floats.size() % static_cast<size_t>(channels), 0u);
    ASSERT_EQ(firstFrame + floats.size() / static_cast<size_t>(channels), Frames());
    for (size_t i = 0; i < floats.size(); ++i) {
      const size_t frame = firstFrame + i / static_cast<size_t>(channels);
      const int channel = static_cast<int>(i % static_cast<size_t>(channels));
      ASSERT_EQ(std::clamp(std::lrint(floats[i] * 32768.0f), -32768L, 32767L), Reference(frame, channel))
          << "frame " << frame << " channel " << channel;
    }
  }

  ScratchFolder m_folder;
  std::string m_ogg = m_folder.File("in.ogg");
  std::vector<int16_t> m_reference;  // interleaved, Vorbis order
};

TEST_P(VorbisDecOggdecTest, PacketsDecodeAsOggdecDecodesThem) {
  const std::optional<VorbisTestStream> stream = ReadVorbisFile(m_ogg);
  ASSERT_TRUE(stream);
  ASSERT_EQ(stream->channels, GetParam().channels);
  ASSERT_EQ(stream->rateHz, GetParam().rateHz);
  for (const bool floats : {true, false}) {
    VorbisDecRig rig(stream->channels, stream->rateHz, floats);
    ASSERT_EQ(rig.Connect(), S_OK);
    ASSERT_EQ(rig.Run(), S_OK);
    ASSERT_EQ(rig.SendAll(stream->packets), S_OK);
    ASSERT_EQ(rig.EndOfStream(), S_OK);
    if (floats) {
      ExpectOggdecFloats(rig.OutputFloat(), 0);
      continue;
    }
    const std::vector<int16_t> shorts = rig.Output16();
    ASSERT_EQ(shorts.size(), m_reference.size());
    int worst = 0;
    for (size_t i = 0; i < shorts.size(); ++i) {
      const int channels = GetParam().channels;
      const int16_t expected = Reference(i / static_cast<size_t>(channels), static_cast<int>(i % channels));
      worst = std::max(worst, std::abs(shorts[i] - expected));
    }
    EXPECT_LE(worst, 2);
  }
}

TEST_P(VorbisDecOggdecTest, ThroughTheSplitterFromTheStart) {
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(m_ogg), S_OK);
  ExpectOggdecFloats(FloatsOf(chain.Play(0)), 0);
}

// Sample times from 0 on, each buffer starting where the one before ended.
void ExpectContinuousFromZero(const std::vector<ReceivedSample>& samples, long rateHz, int channels) {
  const size_t blockAlign = static_cast<size_t>(channels) * 4;
  int64_t frame = 0;
  for (const ReceivedSample& sample : samples) {
    ASSERT_TRUE(sample.times);
    ASSERT_EQ(ScaleRounded(sample.times->start, rateHz, kUnitsPerSecond), frame) << "a gap or an overlap";
    frame += static_cast<int64_t>(sample.bytes.size() / blockAlign);
  }
}

// After a seek the splitter sends the headers again, the packet before the seek point as
// preroll and the packets from it; the decoder starts over with them, and its audio begins at
// the seek point's very sample and lines up with oggdec's from there to the end.
TEST_P(VorbisDecOggdecTest, ThroughTheSplitterAfterASeek) {
  const long rate = GetParam().rateHz;
  for (const int64_t seekFrame : {int64_t{1}, static_cast<int64_t>(Frames()) / 2, static_cast<int64_t>(Frames()) - 100}) {
    const REFERENCE_TIME seek = ScaleRounded(seekFrame, kUnitsPerSecond, rate);
    OggVorbisChain chain;
    ASSERT_EQ(chain.Open(m_ogg), S_OK);
    const std::vector<ReceivedSample> samples = chain.Play(seek);
    ASSERT_FALSE(samples.empty());
    ExpectContinuousFromZero(samples, rate, GetParam().channels);
    ExpectOggdecFloats(FloatsOf(samples), static_cast<size_t>(seekFrame));
  }
}

TEST_P(VorbisDecOggdecTest, ThroughTheSplitterPastTheEnd) {
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(m_ogg), S_OK);
  EXPECT_TRUE(chain.Play(chain.Duration() + 1).empty());
}

INSTANTIATE_TEST_SUITE_P(ToolFiles, VorbisDecOggdecTest,
                         testing::Values(ToolFile{"oggenc_mono_22050", 1, 22050, false},
                                         ToolFile{"oggenc_stereo_44100", 2, 44100, false},
                                         ToolFile{"oggenc_stereo_8000", 2, 8000, false},
                                         ToolFile{"oggenc_six_48000", 6, 48000, false},
                                         ToolFile{"ffmpeg_stereo_32000", 2, 32000, true}),
                         [](const testing::TestParamInfo<ToolFile>& info) { return std::string(info.param.name); });

// Chained files: links of whole files one after another, as `cat` makes them.
class ChainedOggdecTest : public testing::Test {
 protected:
  // A link of `seconds` of a square and a sine at `channels`, 44100 Hz.
  std::vector<uint8_t> Link(const std::string& name, const char* seconds, int channels, bool ffmpeg) {
    const std::string wav = m_folder.File(name + ".wav"), ogg = m_folder.File(name + ".ogg");
    EXPECT_EQ(RunProcess({"sox", "-n", "-r", "44100", "-c", std::to_string(channels), "-b", "16", wav, "synth", seconds,
                          "square", "300", "sine", "700"})
                  .exitCode,
              0);
    const ProcessResult encoded = ffmpeg
                                      ? RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", wav, "-c:a", "libvorbis", ogg})
                                      : RunProcess({"oggenc", "-Q", wav, "-o", ogg});
    EXPECT_EQ(encoded.exitCode, 0) << encoded.err;
    return ScratchFolder::Read(ogg);
  }
  std::string Chain(const std::vector<std::vector<uint8_t>>& links) {
    std::vector<uint8_t> bytes;
    for (const std::vector<uint8_t>& link : links) bytes.insert(bytes.end(), link.begin(), link.end());
    const std::string path = m_folder.File("chain.ogg");
    ScratchFolder::Write(path, bytes);
    return path;
  }
  // oggdec's interleaved 16-bit samples of `path`.
  std::vector<int16_t> Oggdec(const std::string& path) {
    const std::string raw = m_folder.File("oggdec.raw");
    EXPECT_EQ(RunProcess({"oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-s", "1", path, "-o", raw}).exitCode, 0);
    const std::vector<uint8_t> bytes = ScratchFolder::Read(raw);
    std::vector<int16_t> samples;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) samples.push_back(static_cast<int16_t>(GetLe16(&bytes[i])));
    return samples;
  }
  // `floats` rounded as oggdec rounds equal `reference` from sample `first` to its end.
  static void ExpectOggdec(const std::vector<float>& floats, const std::vector<int16_t>& reference, size_t first) {
    ASSERT_EQ(first + floats.size(), reference.size());
    for (size_t i = 0; i < floats.size(); ++i)
      ASSERT_EQ(std::clamp(std::lrint(floats[i] * 32768.0f), -32768L, 32767L), reference[first + i]) << "sample " << i;
  }

  ScratchFolder m_folder;
};

// Every link decodes, back to back, as oggdec decodes the chain; the duration is that audio's.
TEST_F(ChainedOggdecTest, EveryLinkDecodesAsOggdecDecodesTheChain) {
  const std::string path = Chain({Link("a", "1.3", 2, false), Link("b", "0.7", 2, true), Link("c", "1", 2, false)});
  const std::vector<int16_t> reference = Oggdec(path);
  const int64_t frames = static_cast<int64_t>(reference.size() / 2);
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(path), S_OK);
  EXPECT_EQ(chain.Duration(), ScaleRounded(frames, kUnitsPerSecond, 44100));
  const std::vector<ReceivedSample> samples = chain.Play(0);
  ExpectContinuousFromZero(samples, 44100, 2);
  ExpectOggdec(FloatsOf(samples), reference, 0);
}

// Seeks land on their sample wherever it lies in the chain: in the first link, just after a
// link's start and in the middle of the last.
TEST_F(ChainedOggdecTest, SeeksLandOnTheirSampleInAnyLink) {
  const std::string path = Chain({Link("a", "1.3", 2, false), Link("b", "0.7", 2, true), Link("c", "1", 2, false)});
  const std::vector<int16_t> reference = Oggdec(path);
  for (const int64_t seekFrame : {int64_t{20000}, int64_t{57330 + 5}, int64_t{110250}}) {
    OggVorbisChain chain;
    ASSERT_EQ(chain.Open(path), S_OK);
    const std::vector<ReceivedSample> samples = chain.Play(ScaleRounded(seekFrame, kUnitsPerSecond, 44100));
    ExpectContinuousFromZero(samples, 44100, 2);
    ExpectOggdec(FloatsOf(samples), reference, static_cast<size_t>(seekFrame) * 2);
  }
}

// One file twice: both links have the same serial number. oggdec's reading of such a chain is
// off by a few hundred samples, so the reference is the file decoded alone, twice.
TEST_F(ChainedOggdecTest, OneFileTwiceDecodesAsItselfTwice) {
  const std::vector<uint8_t> once = Link("a", "1.3", 2, false);
  const std::string alone = m_folder.File("alone.ogg");
  ScratchFolder::Write(alone, once);
  std::vector<int16_t> reference = Oggdec(alone);
  const std::vector<int16_t> copy = reference;
  reference.insert(reference.end(), copy.begin(), copy.end());
  const std::string path = Chain({once, once});
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(path), S_OK);
  EXPECT_EQ(chain.Duration(), ScaleRounded(static_cast<int64_t>(reference.size() / 2), kUnitsPerSecond, 44100));
  const std::vector<ReceivedSample> samples = chain.Play(0);
  ExpectContinuousFromZero(samples, 44100, 2);
  ExpectOggdec(FloatsOf(samples), reference, 0);
}

// The output cannot change its type while it plays: a link with another channel count ends the
// chain, and the duration is that of the links before it.
TEST_F(ChainedOggdecTest, ALinkOfAnotherChannelCountEndsTheChain) {
  const std::vector<uint8_t> first = Link("a", "1.3", 2, false);
  const std::string path = Chain({first, Link("b", "0.7", 1, false)});
  const std::string alone = m_folder.File("alone.ogg");
  ScratchFolder::Write(alone, first);
  const std::vector<int16_t> reference = Oggdec(alone);
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(path), S_OK);
  EXPECT_EQ(chain.Duration(), ScaleRounded(static_cast<int64_t>(reference.size() / 2), kUnitsPerSecond, 44100));
  ExpectOggdec(FloatsOf(chain.Play(0)), reference, 0);
}

}  // namespace
