#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/audio/CAudioRendererFilter.h"
#include "platform/audio/PcmGain.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/audio/virtual/VirtualPlaybackStream.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSourcePin.h"
#include "support/ScratchFolder.h"
#include "support/SinglePinFilter.h"
#include "support/WavBytes.h"

namespace {

using namespace std::chrono_literals;
using Source = CSinglePinFilter<CFakeSourcePin>;

const WAVEFORMATEX kMono8k = MakePcmFormat(8000, 1, 16);

// A fake source feeding the audio renderer in a graph, so the renderer's events reach it.
struct RendererGraph {
  RendererGraph() {
    source = std::make_shared<Source>(MakeAudioMediaType(kMono8k), ALLOCATOR_PROPERTIES{2, 1600, 1, 0});
    VirtualAudioOptions options;
    options.paced = false;
    EXPECT_EQ(CAudioRendererFilter::Create(std::make_shared<VirtualAudioBackend>(options), &renderer), S_OK);
    EXPECT_EQ(graph.AddFilter(source, "Source"), S_OK);
    EXPECT_EQ(graph.AddFilter(renderer, "Renderer"), S_OK);
    renderer->FindPin("Audio Input pin (rendered)", &input);
    EXPECT_EQ(graph.ConnectDirect(&source->HostedPin(), input, nullptr), S_OK);
  }
  long NextEvent(long timeoutMs) {
    long code = 0;
    intptr_t param1 = 0, param2 = 0;
    return graph.GetEvent(&code, &param1, &param2, timeoutMs) == S_OK ? code : 0;
  }

  std::shared_ptr<Source> source;
  std::shared_ptr<IBaseFilter> renderer;
  IPin* input = nullptr;
  CFilterGraph graph;
};

TEST(AudioRendererPlaybackTest, EndOfStreamWhilePausedCompletesOnlyOnceRunning) {
  RendererGraph setup;
  ASSERT_EQ(setup.graph.Pause(), S_OK);
  auto ended = std::async(std::launch::async, [&] { return setup.source->HostedPin().DeliverEndOfStream(); });
  EXPECT_EQ(ended.wait_for(300ms), std::future_status::timeout) << "end of stream passed a paused renderer";
  EXPECT_EQ(setup.NextEvent(0), 0);
  ASSERT_EQ(setup.graph.Run(), S_OK);
  EXPECT_EQ(setup.NextEvent(2000), EC_COMPLETE);
  EXPECT_EQ(ended.get(), S_OK);
  ASSERT_EQ(setup.graph.Stop(), S_OK);
}

TEST(AudioRendererPlaybackTest, AFlushCancelsAHeldEndOfStream) {
  RendererGraph setup;
  ASSERT_EQ(setup.graph.Pause(), S_OK);
  auto ended = std::async(std::launch::async, [&] { return setup.source->HostedPin().DeliverEndOfStream(); });
  std::this_thread::sleep_for(100ms);
  ASSERT_EQ(setup.input->BeginFlush(), S_OK);
  EXPECT_EQ(ended.wait_for(2s), std::future_status::ready);
  ASSERT_EQ(setup.input->EndFlush(), S_OK);
  ASSERT_EQ(setup.graph.Run(), S_OK);
  EXPECT_EQ(setup.NextEvent(300), 0) << "a flushed end of stream was reported";
  ASSERT_EQ(setup.graph.Stop(), S_OK);
}

TEST(AudioRendererPlaybackTest, VolumeScalesSamplesAndKnowsItsRange) {
  RendererGraph setup;
  auto* audio = QueryInterface<IBasicAudio>(setup.renderer.get());
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->put_Volume(-10001), E_INVALIDARG);
  EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
  ASSERT_EQ(audio->put_Volume(-2000), S_OK);  // -20 dB: a tenth
  long volume = 0;
  ASSERT_EQ(audio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, -2000);
  ASSERT_EQ(setup.graph.Run(), S_OK);
  EXPECT_EQ(setup.source->HostedPin().Send(PcmBytes(16, {10000, -10000, 5})), S_OK);
  REFERENCE_TIME position = 0;
  EXPECT_EQ(setup.graph.GetCurrentPosition(&position), S_OK);
  EXPECT_EQ(position, 3 * kUnitsPerSecond / 8000);
  ASSERT_EQ(setup.graph.Stop(), S_OK);
}

TEST(AudioRendererPlaybackTest, PcmGainRoundsToTheNearestValueOfEachSize) {
  EXPECT_EQ(GainFromVolume(0), 1.0);
  EXPECT_EQ(GainFromVolume(-10000), 0.0);
  EXPECT_NEAR(GainFromVolume(-6000), 0.001, 1e-12);

  std::vector<uint8_t> samples = PcmBytes(16, {32767, -32768, 16000, 499, -500, 0});
  ApplyPcmGain(samples.data(), samples.data(), samples.size(), 16, GainFromVolume(-6000));
  EXPECT_EQ(samples, PcmBytes(16, {33, -33, 16, 0, 0, 0}));  // halves round up: -0.5 gives 0

  std::vector<uint8_t> bytes = PcmBytes(8, {127, -128, 50});
  ApplyPcmGain(bytes.data(), bytes.data(), bytes.size(), 8, 0.5);
  EXPECT_EQ(bytes, PcmBytes(8, {64, -64, 25}));

  std::vector<uint8_t> wide = PcmBytes(24, {8388607, -8388608});
  const std::vector<uint8_t> original = wide;
  ApplyPcmGain(wide.data(), wide.data(), wide.size(), 24, 1.0);
  EXPECT_EQ(wide, original);
  ApplyPcmGain(wide.data(), wide.data(), wide.size(), 24, 0.0);
  EXPECT_EQ(wide, PcmBytes(24, {0, 0}));
}

// The device holds the write it is playing; a flush drops what of it was not heard yet, so the
// next write plays at once and the kept output holds only what was heard.
TEST(AudioRendererPlaybackTest, AFlushOfTheVirtualDeviceDropsTheQueuedAudio) {
  ScratchFolder folder;
  const std::string path = folder.File("played.wav");
  std::vector<int32_t> first(8000, 1000), second(1600, -1000);
  {
    std::unique_ptr<WavFileWriter> writer;
    ASSERT_EQ(WavFileWriter::Create(path, kMono8k, &writer), S_OK);
    VirtualPlaybackStream stream(kMono8k, true, std::move(writer));
    ASSERT_EQ(stream.Write(PcmBytes(16, first)), S_OK);  // one second, playing
    std::this_thread::sleep_for(200ms);
    EXPECT_GT(stream.UnplayedFrames(), 4000u);
    ASSERT_EQ(stream.SetFlushing(true), S_OK);
    EXPECT_EQ(stream.UnplayedFrames(), 0u);
    ASSERT_EQ(stream.SetFlushing(false), S_OK);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(stream.Write(PcmBytes(16, second)), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 400ms) << "the flushed audio still held the device";
    ASSERT_EQ(stream.Drain(), S_OK);
  }
  const std::vector<uint8_t> file = ScratchFolder::Read(path);
  ASSERT_GE(file.size(), 44u);
  const size_t frames = (file.size() - 44) / 2;
  EXPECT_GE(frames, 1600u + 1200u);  // about 0.2 s of the first write was heard
  EXPECT_LE(frames, 1600u + 6000u);  // far from all 8000, on a loaded machine too
  const std::vector<uint8_t> tail = PcmBytes(16, second);
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), file.end() - static_cast<long>(tail.size())));
  const std::vector<uint8_t> head = PcmBytes(16, std::vector<int32_t>(frames - 1600, 1000));
  EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin() + 44));
}

}  // namespace
