// Failures of the capture stream reach whoever controls the capture filter, with their text.

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"
#include "support/ScopedEnvironment.h"

namespace {

constexpr int kTimeoutMs = 10000;
constexpr uint64_t kFramesPerBuffer = 22050;  // the default half second at 44100 Hz
constexpr uint32_t kBytesPerFrame = 4;

// A capture stream that does what it is told but reports its pause and stop as failed.
class RefusingStream : public AudioCaptureStream {
 public:
  explicit RefusingStream(std::unique_ptr<AudioCaptureStream> inner) : m_inner(std::move(inner)) {}

  HRESULT Start() override { return m_inner->Start(); }
  HRESULT Pause() override {
    SetErrorInfo("The device cannot pause.");
    return E_ACCESSDENIED;
  }
  HRESULT Stop() override {
    m_inner->Stop();
    SetErrorInfo("The device did not stop cleanly.");
    return E_UNEXPECTED;
  }
  HRESULT Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) override {
    return m_inner->Read(buffer, bytesRead, endOfInput);
  }
  uint64_t OverrunCount() const override { return m_inner->OverrunCount(); }

 private:
  std::unique_ptr<AudioCaptureStream> m_inner;
};

class RefusingBackend : public VirtualAudioBackend {
 public:
  explicit RefusingBackend(VirtualAudioOptions options) : VirtualAudioBackend(std::move(options)) {}

  HRESULT OpenCapture(int device, const WAVEFORMATEX& format, std::unique_ptr<AudioCaptureStream>* stream) override {
    const HRESULT hr = VirtualAudioBackend::OpenCapture(device, format, stream);
    if (SUCCEEDED(hr)) *stream = std::make_unique<RefusingStream>(std::move(*stream));
    return hr;
  }
};

std::shared_ptr<IBaseFilter> MakeCapture(const std::shared_ptr<AudioBackend>& backend) {
  std::shared_ptr<IBaseFilter> filter;
  EXPECT_EQ(CAudioCaptureFilter::Create(backend, 0, &filter), S_OK);
  return filter;
}

TEST(CaptureFailure, AStreamThatCannotPauseKeepsTheFilterRunningAndSaysWhy) {
  VirtualAudioOptions options;
  options.paced = true;
  auto capture =
      std::dynamic_pointer_cast<CAudioCaptureFilter>(MakeCapture(std::make_shared<RefusingBackend>(options)));
  CFakeSinkFilter sink;
  ASSERT_EQ(capture->CapturePin()->Connect(&sink.HostedPin(), nullptr), S_OK);
  ASSERT_EQ(sink.Run(0), S_OK);
  ASSERT_EQ(capture->Run(0), S_OK);

  ClearErrorInfo();
  EXPECT_EQ(capture->Pause(), E_ACCESSDENIED);
  EXPECT_EQ(GetErrorInfo(), "The device cannot pause.");
  EXPECT_EQ(capture->State(), State_Running);
  EXPECT_TRUE(sink.HostedPin().WaitForSamples(1, kTimeoutMs));

  // The stream's failed stop is reported, yet the filter is stopped and its thread gone.
  EXPECT_EQ(capture->Stop(), E_UNEXPECTED);
  EXPECT_EQ(GetErrorInfo(), "The device did not stop cleanly.");
  EXPECT_TRUE(capture->IsStopped());
  EXPECT_TRUE(sink.HostedPin().AtEndOfStream());
  sink.Stop();
}

TEST(CaptureFailure, AFailingDeviceEndsTheStreamAndItsTextReachesTheGraphsReader) {
  VirtualAudioOptions options;
  options.paced = false;
  options.captureFailsAfterFrames = kFramesPerBuffer;
  std::shared_ptr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &graph), S_OK);
  std::shared_ptr<IBaseFilter> capture = MakeCapture(std::make_shared<VirtualAudioBackend>(options));
  auto sink = std::make_shared<CFakeSinkFilter>();
  ASSERT_EQ(graph->AddFilter(capture, "Audio Source"), S_OK);
  ASSERT_EQ(graph->AddFilter(sink, "Sink"), S_OK);
  ASSERT_EQ(graph->ConnectDirect(std::dynamic_pointer_cast<CAudioCaptureFilter>(capture)->CapturePin(),
                                 &sink->HostedPin(), nullptr),
            S_OK);
  auto control = QueryInterface<IMediaControl>(graph);
  auto* events = QueryInterface<IMediaEventEx>(graph.get());
  ASSERT_EQ(control->Run(), S_OK);

  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &param1, &param2, kTimeoutMs), S_OK);
  EXPECT_EQ(code, EC_ERRORABORT);
  EXPECT_EQ(static_cast<HRESULT>(param1), HResultFromErrno(EIO));
  EXPECT_EQ(GetErrorInfo(),
            "The virtual capture device failed on purpose after 22050 frames (CORVOX_VIRTUAL_FAIL_AFTER).");
  EXPECT_TRUE(sink->HostedPin().WaitForEndOfStream(kTimeoutMs));
  EXPECT_EQ(control->Stop(), S_OK);
  EXPECT_EQ(sink->HostedPin().AllBytes().size(), kFramesPerBuffer * kBytesPerFrame);
}

TEST(CaptureFailure, TheFailureHookIsReadFromTheEnvironmentOnlyAsAFrameCount) {
  const auto hookFor = [](const char* value) {
    const ScopedEnvironment hook("CORVOX_VIRTUAL_FAIL_AFTER", value);
    return VirtualAudioOptions::FromEnvironment().captureFailsAfterFrames;
  };
  EXPECT_EQ(hookFor("44100"), 44100u);
  EXPECT_EQ(hookFor("0"), 0u);
  EXPECT_EQ(hookFor(""), std::nullopt);
  EXPECT_EQ(hookFor("-5"), std::nullopt);
  EXPECT_EQ(hookFor("12 frames"), std::nullopt);
  EXPECT_EQ(hookFor("99999999999999999999999"), std::nullopt);
  EXPECT_EQ(VirtualAudioOptions::FromEnvironment().captureFailsAfterFrames, std::nullopt);
}

}  // namespace
