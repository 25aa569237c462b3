// ALSA capture and playback for real, through ALSA's own plugins instead of hardware: a
// "file" PCM whose capture side reads a raw file and whose playback side writes one, over a
// "null" PCM that never waits. The configuration is the test's own, so the machine's does
// not matter and no sound card is needed.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/audio/CAudioCaptureFilter.h"
#include "platform/audio/alsa/AlsaAudioBackend.h"
#include "platform/audio/alsa/AlsaCaptureStream.h"
#include "platform/audio/alsa/AlsaPlaybackStream.h"
#include "support/FakeSinkPin.h"
#include "support/ScratchFolder.h"

namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 10000;

std::vector<uint8_t> Noise(size_t bytes) {
  std::vector<uint8_t> data(bytes);
  uint32_t state = 12345;
  for (uint8_t& byte : data) {
    state = state * 1103515245 + 12345;
    byte = static_cast<uint8_t>(state >> 16);
  }
  return data;
}

// A consumer that stalls on the first sample, as a slow disk would.
class StallingSinkPin : public CFakeSinkPin {
 public:
  explicit StallingSinkPin(CBaseFilter* filter) : CFakeSinkPin(filter) {}

 protected:
  HRESULT Accept(const ReceivedSample&) override {
    if (m_first) std::this_thread::sleep_for(300ms);
    m_first = false;
    return S_OK;
  }

 private:
  bool m_first = true;  // streaming thread only
};

class AlsaStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ScratchFolder::Write(m_folder.File("in.raw"), m_input);
    m_folder.WriteText("asound.conf",
                       "pcm.test_capture {\n"
                       "  type file\n"
                       "  slave.pcm { type null }\n"
                       "  file \"/dev/null\"\n"
                       "  infile \"" +
                           m_folder.File("in.raw") +
                           "\"\n"
                           "  format \"raw\"\n"
                           "}\n"
                           "pcm.test_playback {\n"
                           "  type file\n"
                           "  slave.pcm { type null }\n"
                           "  file \"" +
                           m_folder.File("out.raw") +
                           "\"\n"
                           "  format \"raw\"\n"
                           "}\n");
    ASSERT_EQ(AlsaConfig::LoadFile(m_folder.File("asound.conf"), &m_config), S_OK) << GetErrorInfo();
  }

  std::unique_ptr<AudioCaptureStream> OpenCapture(unsigned ringMs) {
    std::unique_ptr<AudioCaptureStream> stream;
    EXPECT_EQ(AlsaCaptureStream::Open("test_capture", m_config.get(), m_format, ringMs, &stream), S_OK)
        << GetErrorInfo();
    return stream;
  }

  const WAVEFORMATEX m_format = MakePcmFormat(22050, 1, 16);
  const std::vector<uint8_t> m_input = Noise(22050 * 2 / 2);  // half a second
  ScratchFolder m_folder;
  std::shared_ptr<const AlsaConfig> m_config;
};

TEST_F(AlsaStreamTest, CaptureHandsOutTheDevicesSamplesExactly) {
  std::unique_ptr<AudioCaptureStream> stream = OpenCapture(2000);
  ASSERT_TRUE(stream);
  ASSERT_EQ(stream->Start(), S_OK);
  std::vector<uint8_t> captured(m_input.size());
  size_t bytes = 0;
  bool ended = true;
  // In two reads of odd sizes, so pieces meet inside the device's periods.
  ASSERT_EQ(stream->Read({captured.data(), 1234}, &bytes, &ended), S_OK);
  EXPECT_EQ(bytes, 1234u);
  EXPECT_FALSE(ended);
  ASSERT_EQ(stream->Read({captured.data() + 1234, captured.size() - 1234}, &bytes, &ended), S_OK);
  EXPECT_EQ(bytes, captured.size() - 1234);
  EXPECT_EQ(captured, m_input);
  // A read of less than one frame is refused.
  EXPECT_EQ(stream->Read({captured.data(), 1}, &bytes, &ended), E_INVALIDARG);
}

TEST_F(AlsaStreamTest, AStalledReaderCountsDropoutsAndCaptureGoesOn) {
  std::unique_ptr<AudioCaptureStream> stream = OpenCapture(100);
  ASSERT_TRUE(stream);
  ASSERT_EQ(stream->Start(), S_OK);
  std::vector<uint8_t> buffer(4410);  // 100 ms
  size_t bytes = 0;
  bool ended = false;
  // The null device never waits, so a reader that sleeps leaves the ring full at once.
  std::this_thread::sleep_for(100ms);
  EXPECT_GE(stream->OverrunCount(), 1u);
  // What waited in the ring comes first and unharmed: the start of the input.
  ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), m_input.begin()));
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
    ASSERT_EQ(bytes, buffer.size());
  }
  ASSERT_EQ(stream->Stop(), S_OK);
  while (stream->Read(buffer, &bytes, &ended) == S_OK) {
  }
  EXPECT_EQ(stream->Read(buffer, &bytes, &ended), S_FALSE);
  EXPECT_EQ(bytes, 0u);
}

TEST_F(AlsaStreamTest, PauseEndsAReadWithWhatWasCapturedAndStopReleasesTheNext) {
  std::unique_ptr<AudioCaptureStream> stream = OpenCapture(100);
  ASSERT_TRUE(stream);
  std::vector<uint8_t> buffer(22050 * 2 * 10);  // far more than the ring holds
  size_t bytes = 0;
  bool ended = false;
  ASSERT_EQ(stream->Start(), S_OK);
  std::this_thread::sleep_for(50ms);
  ASSERT_EQ(stream->Pause(), S_OK);
  // Once the device thread has taken in what the device held at the pause, one read hands
  // out everything captured before it, in whole frames.
  std::this_thread::sleep_for(100ms);
  ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_GT(bytes, 0u);
  EXPECT_LT(bytes, buffer.size());
  EXPECT_EQ(bytes % 2, 0u);
  std::future<HRESULT> read = std::async(std::launch::async, [&] { return stream->Read(buffer, &bytes, &ended); });
  EXPECT_EQ(read.wait_for(200ms), std::future_status::timeout);
  stream->Stop();
  EXPECT_EQ(read.get(), S_FALSE);
  stream->Start();
  EXPECT_EQ(stream->Read(buffer, &bytes, &ended), S_FALSE);
}

TEST_F(AlsaStreamTest, PlaybackPlaysTheSamplesWrittenAndFlushingCutsWritesOff) {
  const std::vector<uint8_t> data = Noise(22050 * 2);  // one second
  {
    std::unique_ptr<AudioPlaybackStream> stream;
    ASSERT_EQ(AlsaPlaybackStream::Open("test_playback", m_config.get(), m_format, &stream), S_OK) << GetErrorInfo();
    // Pieces that end inside a frame keep only whole frames.
    for (size_t at = 0; at < data.size(); at += 10000)
      ASSERT_EQ(stream->Write({data.data() + at, std::min<size_t>(10000, data.size() - at)}), S_OK);
    ASSERT_EQ(stream->Drain(), S_OK);
    ASSERT_EQ(stream->SetFlushing(true), S_OK);
    EXPECT_EQ(stream->Write(data), S_FALSE);
    EXPECT_EQ(stream->Drain(), S_FALSE);
  }
  EXPECT_EQ(ScratchFolder::Read(m_folder.File("out.raw")), data);
}

TEST_F(AlsaStreamTest, ProbedCapabilitiesAreOrderedWithoutDuplicates) {
  std::unique_ptr<AlsaPcm> pcm;
  ASSERT_EQ(AlsaPcm::Open("test_capture", true, m_config.get(), &pcm), S_OK);
  AudioDeviceCaps caps;
  ASSERT_EQ(pcm->Probe(&caps), S_OK);
  EXPECT_EQ(caps.bitsPerSample, (std::vector<uint16_t>{8, 16, 24, 32}));
  EXPECT_LE(caps.minRateHz, 8000u);
  EXPECT_GE(caps.maxRateHz, 48000u);
  EXPECT_EQ(caps.minChannels, 1u);
  EXPECT_GE(caps.maxChannels, 2u);
}

TEST_F(AlsaStreamTest, MissingDevicesAreRefusedWithTheirName) {
  std::unique_ptr<AudioCaptureStream> stream;
  EXPECT_TRUE(FAILED(AlsaCaptureStream::Open("no_such_pcm", m_config.get(), m_format, 100, &stream)));
  EXPECT_NE(GetErrorInfo().find("no_such_pcm"), std::string::npos) << GetErrorInfo();
  EXPECT_FALSE(stream);
}

// The whole path a recording takes: a card of the backend, its capture filter set to the
// user's format, delivering what the device captured, and going on past a stalled consumer
// with the dropouts counted.
TEST_F(AlsaStreamTest, CaptureFilterOnACardRecordsTheInputInTheChosenFormat) {
  AlsaCard card;
  card.id = "Test";
  card.name = "Test Card";
  card.longName = "Test Card at test_capture";
  card.capturePcm = card.probePcm = "test_capture";
  card.mixer = "no_such_mixer";
  auto backend = std::make_shared<AlsaAudioBackend>(std::vector<AlsaCard>{card}, "test_playback", m_config);
  ASSERT_EQ(backend->CaptureDevices().size(), 1u);
  EXPECT_EQ(backend->CaptureDevices()[0].description, "Test Card at test_capture");
  EXPECT_EQ(backend->CaptureDevices()[0].friendlyName, "Test");
  EXPECT_EQ(backend->MixerCount(), 1);

  std::shared_ptr<IBaseFilter> filter;
  ASSERT_EQ(CAudioCaptureFilter::Create(backend, 0, &filter), S_OK);
  auto capture = std::dynamic_pointer_cast<CAudioCaptureFilter>(filter);
  CAudioCapturePin* pin = capture->CapturePin();
  AM_MEDIA_TYPE type;
  ASSERT_EQ(pin->GetFormat(&type), S_OK);
  WAVEFORMATEX format = *WaveFormatOf(type);
  format.nChannels = 1;
  format.nSamplesPerSec = 22050;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<uint16_t>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  const AM_MEDIA_TYPE wanted = MakeAudioMediaType(format);
  ASSERT_EQ(pin->SetFormat(&wanted), S_OK) << GetErrorInfo();
  ASSERT_EQ(pin->GetFormat(&type), S_OK);
  EXPECT_EQ(WaveFormatOf(type)->nBlockAlign, 2);
  EXPECT_EQ(WaveFormatOf(type)->nAvgBytesPerSec, 44100u);

  auto sink = std::make_shared<CSinglePinFilter<StallingSinkPin>>();
  ASSERT_EQ(pin->Connect(&sink->HostedPin(), nullptr), S_OK);
  ASSERT_EQ(sink->Run(0), S_OK);
  ASSERT_EQ(capture->Run(0), S_OK) << GetErrorInfo();
  ASSERT_TRUE(sink->HostedPin().WaitForSamples(3, kTimeoutMs));
  EXPECT_GE(capture->OverrunCount(), 1u);
  capture->Stop();
  sink->Stop();
  // The count outlives the stream that counted.
  EXPECT_GE(capture->OverrunCount(), 1u);
  const std::vector<uint8_t> recorded = sink->HostedPin().AllBytes();
  ASSERT_GE(recorded.size(), m_input.size());
  EXPECT_TRUE(std::equal(m_input.begin(), m_input.end(), recorded.begin()));
}

TEST(AlsaBackendTest, WithoutCardsThereAreNoDevicesAndNoMixers) {
  AlsaAudioBackend backend(std::vector<AlsaCard>{}, "null", nullptr);
  EXPECT_TRUE(backend.CaptureDevices().empty());
  EXPECT_EQ(backend.MixerCount(), 0);
  AudioDeviceCaps caps;
  EXPECT_EQ(backend.CaptureCaps(0, &caps), VFW_E_NOT_FOUND);
  std::unique_ptr<AudioCaptureStream> stream;
  EXPECT_EQ(backend.OpenCapture(0, MakePcmFormat(44100, 2, 16), &stream), VFW_E_NOT_FOUND);
  EXPECT_NE(GetErrorInfo().find("no ALSA sound card"), std::string::npos) << GetErrorInfo();
  std::unique_ptr<AudioMixerDevice> mixer;
  EXPECT_EQ(backend.OpenMixer(0, nullptr, &mixer), VFW_E_NOT_FOUND);
}

}  // namespace
