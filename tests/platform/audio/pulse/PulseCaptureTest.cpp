// Recording from the sound server: what is played into the null output comes back through our
// capture source from its monitor.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/pulse/PulseAudioBackend.h"
#include "platform/audio/pulse/PulseCaptureStream.h"
#include "platform/audio/pulse/PulseSources.h"
#include "platform/audio/pulse/PulseTestServer.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"
#include "support/WavBytes.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 10000;
constexpr uint32_t kRateHz = 44100;

class PulseCaptureTest : public ::testing::Test {
 protected:
  // Records device `device` of `backend` through the capture filter while `during` runs.
  std::vector<uint8_t> Record(const std::shared_ptr<AudioBackend>& backend, int device,
                              const std::function<void()>& during) {
    std::shared_ptr<IBaseFilter> filter;
    EXPECT_EQ(CAudioCaptureFilter::Create(backend, device, &filter), S_OK);
    auto capture = std::dynamic_pointer_cast<CAudioCaptureFilter>(filter);
    CFakeSinkFilter sink;
    EXPECT_EQ(capture->CapturePin()->Connect(&sink.HostedPin(), nullptr), S_OK);
    // A tenth of a second per buffer: the server hands over fragments of that size.
    ALLOCATOR_PROPERTIES properties{};
    properties.cbBuffer = 17640;
    EXPECT_EQ(capture->CapturePin()->SuggestAllocatorProperties(&properties), S_OK);
    EXPECT_EQ(sink.Run(0), S_OK);
    EXPECT_EQ(capture->Pause(), S_OK);
    EXPECT_EQ(capture->Run(0), S_OK);
    during();
    EXPECT_EQ(capture->Stop(), S_OK);
    EXPECT_TRUE(sink.HostedPin().AtEndOfStream());
    sink.Stop();
    m_overruns = capture->OverrunCount();
    return sink.HostedPin().AllBytes();
  }

  std::string PlayableTone(double seconds, double amplitude) {
    const std::string path = m_folder.File("tone.wav");
    ScratchFolder::Write(path, WavBytes({}, SineBytes(kRateHz, 1000, amplitude, seconds)));
    return path;
  }

  ScratchFolder m_folder;
  uint64_t m_overruns = 0;
};

TEST_F(PulseCaptureTest, ASignalPlayedIntoTheOutputIsRecordedFromItsMonitor) {
  SKIP_WITHOUT_PULSE_SERVER();
  const TestDevice output(TestDevice::NullOutput);
  auto backend = std::make_shared<PulseAudioBackend>();
  const int monitor = DevicePosition(*backend, output.SourceName());
  ASSERT_GE(monitor, 0);
  const std::string tone = PlayableTone(1.0, 0.5);
  const std::vector<uint8_t> recorded = Record(backend, monitor, [&] {
    std::this_thread::sleep_for(200ms);
    const ProcessResult played = RunProcess({"paplay", "--latency-msec=20", "--device", output.Name(), tone});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    std::this_thread::sleep_for(300ms);
  });
  const ToneMeasure measure = MeasureTone(recorded, kRateHz);
  // The second played, at its level (0.5 of full scale: RMS 0.354) and frequency. The server
  // may drop the start of a stream it begins to mix into a running output.
  EXPECT_GE(measure.frames, kRateHz * 97 / 100);
  EXPECT_LE(measure.frames, kRateHz + 1);
  EXPECT_NEAR(measure.rms, 0.5 / std::sqrt(2.0), 0.01);
  EXPECT_NEAR(measure.frequencyHz, 1000, 5);
  EXPECT_EQ(m_overruns, 0u);
}

TEST_F(PulseCaptureTest, NothingIsLostButTheLastFragmentBeforeStop) {
  SKIP_WITHOUT_PULSE_SERVER();
  const TestDevice output(TestDevice::NullOutput);
  auto backend = std::make_shared<PulseAudioBackend>();
  const int monitor = DevicePosition(*backend, output.SourceName());
  ASSERT_GE(monitor, 0);
  // The output plays throughout, as a desktop's does: an idle null output stalls its monitor.
  const std::string tone = PlayableTone(3.0, 0.25);
  std::thread player([&] { RunProcess({"paplay", "--latency-msec=20", "--device", output.Name(), tone}); });
  std::this_thread::sleep_for(300ms);
  const auto started = std::chrono::steady_clock::now();
  const std::vector<uint8_t> recorded = Record(backend, monitor, [] { std::this_thread::sleep_for(1500ms); });
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  player.join();
  const double recordedSeconds = static_cast<double>(recorded.size()) / (kRateHz * 4);
  EXPECT_GT(recordedSeconds, 1.5 - 0.15);
  EXPECT_LT(recordedSeconds, wallSeconds + 0.05);
  EXPECT_NEAR(MeasureTone(recorded, kRateHz).rms, 0.25 / std::sqrt(2.0), 0.01);
}

TEST(PulseCaptureStream, AReaderThatFallsBehindLosesAudioCountedAsDropouts) {
  SKIP_WITHOUT_PULSE_SERVER();
  const TestDevice output(TestDevice::NullOutput);
  std::unique_ptr<PulseConnection> connection;
  ASSERT_EQ(PulseConnection::Open(1000, &connection), S_OK);
  PulseSource monitor;
  {
    PulseConnection::Lock lock(*connection);
    ASSERT_EQ(ReadPulseSource(*connection, output.SourceName(), &monitor), S_OK);
  }
  const WAVEFORMATEX format = MakePcmFormat(kRateHz, 2, 16);
  std::unique_ptr<AudioCaptureStream> stream;
  ASSERT_EQ(PulseCaptureStream::Open(std::move(connection), monitor, format, 100, &stream), S_OK);
  ASSERT_EQ(stream->SetReadSize(format.nAvgBytesPerSec / 50), S_OK);
  ASSERT_EQ(stream->Start(), S_OK);
  std::this_thread::sleep_for(600ms);
  EXPECT_GE(stream->OverrunCount(), 1u);

  // Recording goes on.
  std::vector<uint8_t> buffer(format.nAvgBytesPerSec / 10);
  size_t bytes = 0;
  bool ended = false;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
    EXPECT_EQ(bytes, buffer.size());
  }
  EXPECT_EQ(stream->Stop(), S_OK);
  EXPECT_EQ(stream->Read(buffer, &bytes, &ended), S_FALSE);
}

TEST(PulseCaptureStream, TheServerHandsOverFragmentsOfTheCaptureLatencyUpToACap) {
  SKIP_WITHOUT_PULSE_SERVER();
  const WAVEFORMATEX format = MakePcmFormat(kRateHz, 2, 16);
  for (const auto& [readBytes, fragmentBytes] : {std::pair<size_t, size_t>{17640 / 5, 17640 / 5}, {88200, 8820}}) {
    const TestDevice output(TestDevice::NullOutput);
    std::unique_ptr<PulseConnection> connection;
    ASSERT_EQ(PulseConnection::Open(1000, &connection), S_OK);
    PulseSource monitor;
    {
      PulseConnection::Lock lock(*connection);
      ASSERT_EQ(ReadPulseSource(*connection, output.SourceName(), &monitor), S_OK);
    }
    std::unique_ptr<AudioCaptureStream> stream;
    ASSERT_EQ(PulseCaptureStream::Open(std::move(connection), monitor, format, 100, &stream), S_OK);
    ASSERT_EQ(stream->SetReadSize(readBytes), S_OK);
    EXPECT_EQ(static_cast<PulseCaptureStream&>(*stream).FragmentBytes(), fragmentBytes) << readBytes;
    // A reader that takes more than the ring holds still gets its reads whole.
    ASSERT_EQ(stream->Start(), S_OK);
    std::vector<uint8_t> buffer(readBytes);
    size_t bytes = 0;
    bool ended = false;
    ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
    EXPECT_EQ(bytes, readBytes);
  }
}

TEST(PulseCaptureStream, AFormatTheServerCannotTakeIsRefusedWithItsReason) {
  SKIP_WITHOUT_PULSE_SERVER();
  PulseAudioBackend backend;
  std::unique_ptr<AudioCaptureStream> stream;
  ClearErrorInfo();
  EXPECT_EQ(backend.OpenCapture(0, MakePcmFormat(kRateHz, 2, 12), &stream), VFW_E_INVALIDMEDIATYPE);
  EXPECT_NE(GetErrorInfo().find("12 bits per sample are not supported"), std::string::npos) << GetErrorInfo();
  EXPECT_EQ(backend.OpenCapture(backend.MixerCount(), MakePcmFormat(kRateHz, 2, 16), &stream), VFW_E_NOT_FOUND);
  EXPECT_FALSE(stream);
}

TEST(PulseServerGone, TheRecordingEndsWithTheAudioKeptAndSaysWhy) {
  SKIP_WITHOUT_PULSE_SERVER();
  PrivatePulseServer server;
  if (server.Address().empty()) GTEST_SKIP() << "no pulseaudio program to start a server of the test's own";
  std::shared_ptr<IBaseFilter> capture;
  {
    const ScopedEnvironment address("PULSE_SERVER", server.Address());
    auto backend = std::make_shared<PulseAudioBackend>();
    ASSERT_EQ(CAudioCaptureFilter::Create(backend, DevicePosition(*backend, "null.monitor"), &capture), S_OK);
  }
  std::shared_ptr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &graph), S_OK);
  auto sink = std::make_shared<CFakeSinkFilter>();
  ASSERT_EQ(graph->AddFilter(capture, "Audio Source"), S_OK);
  ASSERT_EQ(graph->AddFilter(sink, "Sink"), S_OK);
  ASSERT_EQ(graph->ConnectDirect(std::dynamic_pointer_cast<CAudioCaptureFilter>(capture)->CapturePin(),
                                 &sink->HostedPin(), nullptr),
            S_OK);
  auto control = QueryInterface<IMediaControl>(graph);
  auto* events = QueryInterface<IMediaEventEx>(graph.get());
  {
    const ScopedEnvironment address("PULSE_SERVER", server.Address());
    ASSERT_EQ(control->Run(), S_OK);
  }
  ASSERT_TRUE(sink->HostedPin().WaitForSamples(2, kTimeoutMs));
  server.Kill();

  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &param1, &param2, kTimeoutMs), S_OK);
  EXPECT_EQ(code, EC_ERRORABORT);
  EXPECT_TRUE(FAILED(static_cast<HRESULT>(param1)));
  EXPECT_EQ(GetErrorInfo().rfind("The sound server went away while recording from \"Monitor of Null Output\"; the "
                                 "recording ends here: ",
                                 0),
            0u)
      << GetErrorInfo();
  EXPECT_TRUE(sink->HostedPin().WaitForEndOfStream(kTimeoutMs));
  EXPECT_EQ(control->Stop(), S_OK);
  EXPECT_GE(sink->HostedPin().AllBytes().size(), 2u * 88200);
}

}  // namespace
