#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"
#include "support/ScratchFolder.h"
#include "support/WavBytes.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 10000;

std::vector<uint8_t> Ramp(size_t bytes) {
  std::vector<uint8_t> data(bytes);
  for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return data;
}

// Every sample starts where the one before ended, from 0; only the first is a discontinuity.
void ExpectContiguous(const std::vector<ReceivedSample>& samples, uint32_t bytesPerSecond) {
  REFERENCE_TIME expectedStart = 0;
  uint64_t bytes = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_TRUE(samples[i].times) << "sample " << i;
    EXPECT_EQ(samples[i].times->start, expectedStart) << "sample " << i;
    bytes += samples[i].bytes.size();
    EXPECT_EQ(samples[i].times->end, static_cast<REFERENCE_TIME>(bytes * kUnitsPerSecond / bytesPerSecond))
        << "sample " << i;
    EXPECT_TRUE(samples[i].syncPoint);
    EXPECT_EQ(samples[i].discontinuity, i == 0);
    expectedStart = samples[i].times->end;
  }
}

class CaptureFilterTest : public ::testing::Test {
 protected:
  // Unpaced, hearing `fileBytes` as a WAV file (44100 Hz stereo 16-bit unless `layout` says
  // otherwise), or the tone when empty.
  void MakeCapture(const std::vector<uint8_t>& fileBytes = {}, bool paced = false, const WavLayout& layout = {}) {
    VirtualAudioOptions options;
    options.paced = paced;
    if (!fileBytes.empty()) {
      options.inputPath = m_folder.File("input.wav");
      ScratchFolder::Write(options.inputPath, WavBytes(layout, fileBytes));
    }
    std::shared_ptr<IBaseFilter> filter;
    ASSERT_EQ(CAudioCaptureFilter::Create(std::make_shared<VirtualAudioBackend>(options), 0, &filter), S_OK);
    m_capture = std::dynamic_pointer_cast<CAudioCaptureFilter>(filter);
    m_pin = m_capture->CapturePin();
  }

  HRESULT Connect() { return m_pin->Connect(&Sink(), nullptr); }
  CFakeSinkPin& Sink() { return m_sink->HostedPin(); }

  void Run() {
    ASSERT_EQ(m_sink->Run(0), S_OK);
    ASSERT_EQ(m_capture->Run(0), S_OK) << GetErrorInfo();
  }

  void Stop() {
    m_capture->Stop();
    m_sink->Stop();
  }

  std::vector<long> SampleSizes() {
    std::vector<long> sizes;
    for (const ReceivedSample& sample : Sink().Samples()) sizes.push_back(static_cast<long>(sample.bytes.size()));
    return sizes;
  }

  ScratchFolder m_folder;
  std::shared_ptr<CFakeSinkFilter> m_sink = std::make_shared<CFakeSinkFilter>();
  std::shared_ptr<CAudioCaptureFilter> m_capture;
  CAudioCapturePin* m_pin = nullptr;
};

TEST_F(CaptureFilterTest, FileCaptureIsSampleExactAndEndsWithEndOfStream) {
  const std::vector<uint8_t> data = Ramp(57330 * 4);  // 1.3 s
  MakeCapture(data);
  ASSERT_EQ(Connect(), S_OK);
  Run();
  ASSERT_TRUE(Sink().WaitForEndOfStream(kTimeoutMs));
  Stop();
  EXPECT_EQ(Sink().AllBytes(), data);
  EXPECT_EQ(SampleSizes(), (std::vector<long>{88200, 88200, 52920}));
  ExpectContiguous(Sink().Samples(), 176400);
  EXPECT_EQ(Sink().Samples().back().times->end, 13'000'000);
}

// A limit of recorded audio ends the stream as the input's end would: the last buffer is cut
// to the frame, then end of stream. The peak is that of the audio delivered since asked last.
TEST_F(CaptureFilterTest, AFrameLimitCutsTheStreamToTheFrameAndThePeakFollowsTheAudio) {
  std::vector<int32_t> values(57330 * 2, 100);
  values[2 * 30000 + 1] = -16384;  // in the second buffer
  values[2 * 40000] = 32767;       // past the limit
  const std::vector<uint8_t> data = PcmBytes(16, values);
  MakeCapture(data);
  m_capture->SetFrameLimit(35000);
  ASSERT_EQ(Connect(), S_OK);
  Run();
  ASSERT_TRUE(Sink().WaitForEndOfStream(kTimeoutMs));
  EXPECT_EQ(m_capture->FramesDelivered(), 35000u);
  EXPECT_DOUBLE_EQ(m_capture->TakePeakLevel(), 0.5);
  EXPECT_EQ(m_capture->TakePeakLevel(), 0.0);
  Stop();
  EXPECT_EQ(SampleSizes(), (std::vector<long>{88200, 51800}));
  EXPECT_EQ(Sink().AllBytes(), std::vector<uint8_t>(data.begin(), data.begin() + 35000 * 4));
}

TEST_F(CaptureFilterTest, BufferNegotiationDefaultsToHalfASecondAndTakesSuggestions) {
  MakeCapture(Ramp(44100 * 4));
  ALLOCATOR_PROPERTIES properties;
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cBuffers, 4);
  EXPECT_EQ(properties.cbBuffer, 88200);
  EXPECT_EQ(properties.cbAlign, 1);

  // What the recorder does for 100 ms of latency; a size between frames rounds down.
  ALLOCATOR_PROPERTIES suggestion = properties;
  suggestion.cbBuffer = 17641;
  ASSERT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), S_OK);
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cbBuffer, 17640);
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cbBuffer, 17640);

  // The recorder suggests after connecting: the agreed allocator follows; fields <= 0 keep
  // their defaults.
  suggestion = {0, 35280, 0, 0};
  ASSERT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), S_OK);
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cBuffers, 4);
  EXPECT_EQ(properties.cbBuffer, 35280);
  Run();
  ASSERT_TRUE(Sink().WaitForEndOfStream(kTimeoutMs));
  Stop();
  EXPECT_EQ(SampleSizes(), (std::vector<long>{35280, 35280, 35280, 35280, 35280}));

  suggestion.cbAlign = 3;
  EXPECT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), E_INVALIDARG);
  // Whatever latency is stored, the buffers stay within ten seconds of audio.
  suggestion = {4, 176400 * 10 + 4, 0, 0};
  EXPECT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), E_INVALIDARG);
  suggestion = {65, 35280, 0, 0};
  EXPECT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), E_INVALIDARG);
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cbBuffer, 35280);
}

TEST_F(CaptureFilterTest, PauseDeliversNothingAndTimesContinueWithoutAGap) {
  MakeCapture({}, true);
  const ALLOCATOR_PROPERTIES suggestion{0, 4410, 0, 0};  // 25 ms
  ASSERT_EQ(m_pin->SuggestAllocatorProperties(&suggestion), S_OK);
  ASSERT_EQ(Connect(), S_OK);
  Run();
  ASSERT_TRUE(Sink().WaitForSamples(3, kTimeoutMs));
  ASSERT_EQ(m_capture->Pause(), S_OK);
  std::this_thread::sleep_for(60ms);  // a delivery already under way may still arrive
  const size_t pausedAt = Sink().Samples().size();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(Sink().Samples().size(), pausedAt);
  ASSERT_EQ(m_capture->Run(0), S_OK);
  ASSERT_TRUE(Sink().WaitForSamples(pausedAt + 3, kTimeoutMs));
  Stop();
  EXPECT_TRUE(Sink().AtEndOfStream());
  ExpectContiguous(Sink().Samples(), 176400);
}

TEST_F(CaptureFilterTest, StopWhilePausedEndsTheStream) {
  MakeCapture({}, true);
  ASSERT_EQ(Connect(), S_OK);
  ASSERT_EQ(m_sink->Pause(), S_OK);
  ASSERT_EQ(m_capture->Pause(), S_OK);
  Stop();
  EXPECT_TRUE(Sink().AtEndOfStream());
  EXPECT_TRUE(Sink().Samples().empty());
}

TEST_F(CaptureFilterTest, SetFormatTakesWhatTheDeviceCanDoWhileStopped) {
  MakeCapture();
  AM_MEDIA_TYPE type;
  ASSERT_EQ(m_pin->GetFormat(&type), S_OK);
  EXPECT_EQ(WaveFormatOf(type), MakePcmFormat(44100, 2, 16));

  // The recorder changes the fields of the record it got and sets it back.
  WAVEFORMATEX format = MakePcmFormat(22050, 1, 16);
  ASSERT_EQ(m_pin->SetFormat(&(type = MakeAudioMediaType(format))), S_OK);
  ASSERT_EQ(m_pin->GetFormat(&type), S_OK);
  EXPECT_EQ(WaveFormatOf(type)->nBlockAlign, 2);
  EXPECT_EQ(WaveFormatOf(type)->nAvgBytesPerSec, 44100u);
  ALLOCATOR_PROPERTIES properties;
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cbBuffer, 22050);

  ClearErrorInfo();
  EXPECT_EQ(m_pin->SetFormat(&(type = MakeAudioMediaType(MakePcmFormat(44100, 2, 12)))), VFW_E_INVALIDMEDIATYPE);
  EXPECT_NE(GetErrorInfo().find("12 bits"), std::string::npos) << GetErrorInfo();
  format = MakePcmFormat(44100, 2, 16);
  format.nAvgBytesPerSec = 1;
  EXPECT_EQ(m_pin->SetFormat(&(type = MakeAudioMediaType(format))), VFW_E_INVALIDMEDIATYPE);
  type = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  type.majortype = MEDIATYPE_Stream;
  EXPECT_EQ(m_pin->SetFormat(&type), VFW_E_INVALIDMEDIATYPE);

  int count = 0, size = 0;
  ASSERT_EQ(m_pin->GetNumberOfCapabilities(&count, &size), S_OK);
  EXPECT_EQ(count, 4);
  AUDIO_STREAM_CONFIG_CAPS caps;
  ASSERT_EQ(m_pin->GetStreamCaps(3, &type, &caps), S_OK);
  EXPECT_EQ(caps.MaximumBitsPerSample, 32u);
  EXPECT_EQ(caps.MaximumChannels, 8u);
  EXPECT_EQ(m_pin->GetStreamCaps(4, &type, &caps), S_FALSE);

  ASSERT_EQ(Connect(), S_OK);
  Run();
  EXPECT_EQ(m_pin->SetFormat(&(type = MakeAudioMediaType(MakePcmFormat(44100, 2, 16)))), VFW_E_NOT_STOPPED);
  Stop();
}

TEST_F(CaptureFilterTest, SetFormatOnAConnectedPinReconnectsOnlyWhenThePeerAccepts) {
  MakeCapture();
  Sink().SetAccept([](const AM_MEDIA_TYPE& type) {
    const std::optional<WAVEFORMATEX> format = WaveFormatOf(type);
    return format && format->nSamplesPerSec == 44100;
  });
  ASSERT_EQ(Connect(), S_OK);
  AM_MEDIA_TYPE type = MakeAudioMediaType(MakePcmFormat(22050, 2, 16));
  EXPECT_EQ(m_pin->SetFormat(&type), VFW_E_TYPE_NOT_ACCEPTED);
  AM_MEDIA_TYPE connected;
  ASSERT_EQ(Sink().ConnectionMediaType(&connected), S_OK);
  EXPECT_EQ(WaveFormatOf(connected), MakePcmFormat(44100, 2, 16));

  type = MakeAudioMediaType(MakePcmFormat(44100, 1, 24));
  ASSERT_EQ(m_pin->SetFormat(&type), S_OK);
  ASSERT_EQ(Sink().ConnectionMediaType(&connected), S_OK);
  EXPECT_EQ(WaveFormatOf(connected), MakePcmFormat(44100, 1, 24));
  ALLOCATOR_PROPERTIES properties;
  ASSERT_EQ(m_pin->GetAllocatorProperties(&properties), S_OK);
  EXPECT_EQ(properties.cbBuffer, 66150);
}

TEST_F(CaptureFilterTest, AFileAtAnotherRateFailsTheStartWithItsReason) {
  WavLayout layout;
  layout.rateHz = 48000;
  MakeCapture(Ramp(400), false, layout);
  ASSERT_EQ(Connect(), S_OK);
  ClearErrorInfo();
  EXPECT_EQ(m_capture->Pause(), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(GetErrorInfo(), "The input file runs at 48000 Hz but the device is set to 44100 Hz.");
  EXPECT_TRUE(m_capture->IsStopped());
}

TEST_F(CaptureFilterTest, ARefusedDeliveryAbortsWithItsCodeInAGraph) {
  MakeCapture(Ramp(44100 * 4 * 2));
  const HRESULT diskFull = HResultFromErrno(ENOSPC);
  Sink().ReplyToAll(diskFull);
  CFilterGraph graph;
  ASSERT_EQ(graph.AddFilter(m_capture, "Audio Source"), S_OK);
  ASSERT_EQ(graph.AddFilter(m_sink, "Sink"), S_OK);
  ASSERT_EQ(graph.Connect(m_pin, &Sink()), S_OK);
  ASSERT_EQ(graph.Run(), S_OK);
  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  ASSERT_EQ(graph.GetEvent(&code, &param1, &param2, kTimeoutMs), S_OK);
  EXPECT_EQ(code, EC_ERRORABORT);
  EXPECT_EQ(param1, diskFull);
  EXPECT_TRUE(Sink().WaitForEndOfStream(kTimeoutMs));
  EXPECT_EQ(Sink().Samples().size(), 1u);
  EXPECT_EQ(graph.Stop(), S_OK);
}

TEST_F(CaptureFilterTest, StoppingALiveGraphDeliversEndOfStreamFirst) {
  MakeCapture({}, true);
  CFilterGraph graph;
  ASSERT_EQ(graph.AddFilter(m_capture, "Audio Source"), S_OK);
  ASSERT_EQ(graph.AddFilter(m_sink, "Sink"), S_OK);
  ASSERT_EQ(graph.Connect(m_pin, &Sink()), S_OK);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(graph.Run(), S_OK);
  ASSERT_TRUE(Sink().WaitForSamples(1, kTimeoutMs));
  EXPECT_EQ(graph.Stop(), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_TRUE(Sink().AtEndOfStream());
  EXPECT_TRUE(m_capture->IsStopped());
  ExpectContiguous(Sink().Samples(), 176400);
}

}  // namespace

namespace {

TEST_F(CaptureFilterTest, StopDeliversTheAudioCapturedSinceTheLastFullBuffer) {
  MakeCapture({}, true);
  ASSERT_EQ(Connect(), S_OK);
  Run();
  ASSERT_TRUE(Sink().WaitForSamples(1, kTimeoutMs));  // one half-second buffer
  std::this_thread::sleep_for(150ms);
  Stop();
  ASSERT_EQ(Sink().Samples().size(), 2u);
  const size_t tail = Sink().Samples()[1].bytes.size();
  EXPECT_GT(tail, 176400u / 20);  // at least 50 ms of the 150 ms before the stop
  EXPECT_LT(tail, 88200u);
  EXPECT_EQ(tail % 4, 0u);  // whole frames
  ExpectContiguous(Sink().Samples(), 176400);
}

}  // namespace

namespace {

TEST_F(CaptureFilterTest, PauseDeliversTheAudioCapturedBeforeIt) {
  MakeCapture({}, true);
  ASSERT_EQ(Connect(), S_OK);
  Run();
  std::this_thread::sleep_for(200ms);  // within the first half-second buffer
  ASSERT_EQ(m_capture->Pause(), S_OK);
  ASSERT_TRUE(Sink().WaitForSamples(1, kTimeoutMs));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Sink().Samples().size(), 1u);
  const size_t beforePause = Sink().Samples()[0].bytes.size();
  EXPECT_GT(beforePause, 176400u / 10);  // more than 100 ms of the 200
  EXPECT_LT(beforePause, 88200u);

  // The rest of that buffer comes after the resume, with no gap in the times.
  ASSERT_EQ(m_capture->Run(0), S_OK);
  ASSERT_TRUE(Sink().WaitForSamples(2, kTimeoutMs));
  Stop();
  ExpectContiguous(Sink().Samples(), 176400);
}

}  // namespace
