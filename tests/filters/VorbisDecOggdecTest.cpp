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

// After a seek the splitter sends the headers again and the packets from the seek point, timed
// from it; the decoder starts over with them, and its audio lines up with oggdec's from there
// to the end, every sample and no gap.
TEST_P(VorbisDecOggdecTest, ThroughTheSplitterAfterASeek) {
  const long rate = GetParam().rateHz;
  const int64_t seekFrame = static_cast<int64_t>(Frames()) / 2;
  const REFERENCE_TIME seek = ScaleRounded(seekFrame, kUnitsPerSecond, rate);
  OggVorbisChain chain;
  ASSERT_EQ(chain.Open(m_ogg), S_OK);
  const std::vector<ReceivedSample> samples = chain.Play(seek);
  ASSERT_FALSE(samples.empty());
  const size_t blockAlign = static_cast<size_t>(GetParam().channels) * 4;
  int64_t frame = ScaleRounded(samples.front().times->start, rate, kUnitsPerSecond);
  for (const ReceivedSample& sample : samples) {
    ASSERT_EQ(ScaleRounded(sample.times->start, rate, kUnitsPerSecond), frame) << "a gap or an overlap";
    frame += static_cast<int64_t>(sample.bytes.size() / blockAlign);
  }
  const int64_t firstFrame = ScaleRounded(seek + samples.front().times->start, rate, kUnitsPerSecond);
  EXPECT_LT(firstFrame - seekFrame, rate / 2) << "audio resumes near the seek point";
  ExpectOggdecFloats(FloatsOf(samples), static_cast<size_t>(firstFrame));
}

INSTANTIATE_TEST_SUITE_P(ToolFiles, VorbisDecOggdecTest,
                         testing::Values(ToolFile{"oggenc_mono_22050", 1, 22050, false},
                                         ToolFile{"oggenc_stereo_44100", 2, 44100, false},
                                         ToolFile{"oggenc_stereo_8000", 2, 8000, false},
                                         ToolFile{"oggenc_six_48000", 6, 48000, false},
                                         ToolFile{"ffmpeg_stereo_32000", 2, 32000, true}),
                         [](const testing::TestParamInfo<ToolFile>& info) { return std::string(info.param.name); });

}  // namespace
