#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "platform/audio/PcmSample.h"
#include "support/WavBytes.h"
#include "platform/audio/virtual/ToneGenerator.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "platform/audio/virtual/WavFileReader.h"
#include "support/ScratchFolder.h"

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

class VirtualToneTest : public ::testing::TestWithParam<uint16_t> {};

TEST_P(VirtualToneTest, FillsTheRequestedFramesWithA440HzToneAtMinus12dB) {
  const WAVEFORMATEX format = MakePcmFormat(44100, 2, GetParam());
  ToneGenerator tone(format);
  std::vector<uint8_t> second(44100 * format.nBlockAlign);
  size_t frames = 0;
  // In two reads, so the phase has to carry over.
  ASSERT_EQ(tone.Read(second.data(), 20000, &frames), S_OK);
  EXPECT_EQ(frames, 20000u);
  ASSERT_EQ(tone.Read(second.data() + 20000 * format.nBlockAlign, 24100, &frames), S_OK);
  EXPECT_EQ(frames, 24100u);

  int crossings = 0;
  int32_t peak = 0;
  const size_t sampleBytes = format.wBitsPerSample / 8;
  int32_t previous = ReadPcmSample(second.data(), format.wBitsPerSample);
  for (size_t i = 1; i < 44100; ++i) {
    const int32_t value = ReadPcmSample(second.data() + i * format.nBlockAlign, format.wBitsPerSample);
    if ((previous < 0) != (value < 0)) ++crossings;
    peak = std::max(peak, value);
    previous = value;
  }
  EXPECT_NEAR(crossings, 880, 2);
  EXPECT_NEAR(peak / 2147483648.0, ToneGenerator::kAmplitude, 0.01);
  // The second channel is audibly different.
  EXPECT_NE(0, std::memcmp(second.data() + 100 * format.nBlockAlign,
                           second.data() + 100 * format.nBlockAlign + sampleBytes, sampleBytes));
}

INSTANTIATE_TEST_SUITE_P(VirtualSampleSizes, VirtualToneTest, ::testing::Values(8, 16, 24, 32));

class VirtualBackendTest : public ::testing::Test {
 protected:
  VirtualAudioOptions Options(bool paced) {
    VirtualAudioOptions options;
    options.paced = paced;
    return options;
  }

  ScratchFolder m_folder;
};

TEST_F(VirtualBackendTest, ListsOneDeviceAndRefusesWhatItCannotDo) {
  VirtualAudioBackend backend(Options(false));
  const std::vector<AudioDeviceInfo> devices = backend.CaptureDevices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].description, "Virtual Audio Input");
  EXPECT_EQ(devices[0].friendlyName, "virtual");

  std::unique_ptr<AudioCaptureStream> stream;
  EXPECT_EQ(backend.OpenCapture(1, MakePcmFormat(44100, 2, 16), &stream), VFW_E_NOT_FOUND);
  EXPECT_EQ(backend.OpenCapture(0, MakePcmFormat(44100, 9, 16), &stream), VFW_E_INVALIDMEDIATYPE);
  EXPECT_NE(GetErrorInfo().find("9 channels"), std::string::npos) << GetErrorInfo();
  EXPECT_EQ(backend.OpenCapture(0, MakePcmFormat(44100, 2, 20), &stream), VFW_E_INVALIDMEDIATYPE);
  EXPECT_FALSE(stream);
}

TEST_F(VirtualBackendTest, PacedCaptureKeepsRealTimeAndStandsStillWhilePaused) {
  VirtualAudioBackend backend(Options(true));
  std::unique_ptr<AudioCaptureStream> stream;
  ASSERT_EQ(backend.OpenCapture(0, MakePcmFormat(8000, 1, 16), &stream), S_OK);
  std::vector<uint8_t> buffer(800 * 2);  // 100 ms
  size_t bytes = 0;
  bool ended = false;

  ASSERT_EQ(stream->Start(), S_OK);
  const SteadyClock::time_point start = SteadyClock::now();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_EQ(bytes, buffer.size());
  EXPECT_GE(SteadyClock::now() - start, 300ms);
  EXPECT_LT(SteadyClock::now() - start, 1000ms);

  // A pause hands out what was captured before it; then a read waits until the stream is
  // stopped, which releases it with no data.
  std::this_thread::sleep_for(20ms);
  stream->Pause();
  ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_GE(bytes, 2u * 80);  // at least the 10 ms before the pause
  EXPECT_LT(bytes, buffer.size());
  std::future<HRESULT> read = std::async(std::launch::async, [&] { return stream->Read(buffer, &bytes, &ended); });
  EXPECT_EQ(read.wait_for(250ms), std::future_status::timeout);
  stream->Stop();
  EXPECT_EQ(read.get(), S_FALSE);
  EXPECT_EQ(bytes, 0u);
  // Stopped for good: even a running clock gives nothing more.
  stream->Start();
  EXPECT_EQ(stream->Read(buffer, &bytes, &ended), S_FALSE);
  EXPECT_EQ(bytes, 0u);
}

TEST_F(VirtualBackendTest, FileInputEndsTheStream) {
  VirtualAudioOptions options = Options(false);
  options.inputPath = m_folder.File("in.wav");
  ScratchFolder::Write(options.inputPath, WavBytes(WavLayout{}, PcmBytes(16, {1, 2, 3, 4, 5, 6})));
  VirtualAudioBackend backend(options);
  std::unique_ptr<AudioCaptureStream> stream;
  ASSERT_EQ(backend.OpenCapture(0, MakePcmFormat(44100, 2, 16), &stream), S_OK);
  ASSERT_EQ(stream->Start(), S_OK);
  std::vector<uint8_t> buffer(8);
  size_t bytes = 0;
  bool ended = false;
  ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_EQ(bytes, 8u);
  EXPECT_FALSE(ended);
  ASSERT_EQ(stream->Read(buffer, &bytes, &ended), S_OK);
  EXPECT_EQ(bytes, 4u);
  EXPECT_TRUE(ended);
}

TEST_F(VirtualBackendTest, PlaybackKeepsWhatItPlayedInAWavFile) {
  VirtualAudioOptions options = Options(false);
  options.outputPath = m_folder.File("played.wav");
  VirtualAudioBackend backend(options);
  const WAVEFORMATEX format = MakePcmFormat(22050, 1, 8);
  const std::vector<uint8_t> data = {1, 2, 3, 4, 5};  // odd: the file gets a pad byte
  {
    std::unique_ptr<AudioPlaybackStream> stream;
    ASSERT_EQ(backend.OpenPlayback(format, &stream), S_OK);
    EXPECT_EQ(stream->Write({data.data(), 2}), S_OK);
    EXPECT_EQ(stream->Write({data.data() + 2, 3}), S_OK);
    EXPECT_EQ(stream->Drain(), S_OK);
  }
  const std::vector<uint8_t> file = ScratchFolder::Read(options.outputPath);
  ASSERT_EQ(file.size(), 44u + 6u);
  EXPECT_EQ(GetLe32(file.data() + 4), 42u);
  EXPECT_EQ(GetLe32(file.data() + 40), 5u);
  std::unique_ptr<WavFileReader> reader;
  ASSERT_EQ(WavFileReader::Open(options.outputPath, &reader), S_OK);
  EXPECT_EQ(reader->Format(), format);
  std::vector<uint8_t> back(5);
  size_t frames = 0;
  ASSERT_EQ(reader->Read(back.data(), 5, &frames), S_OK);
  EXPECT_EQ(back, data);
}

TEST_F(VirtualBackendTest, PacedPlaybackBlocksLikeHardwareUntilFlushed) {
  VirtualAudioBackend backend(Options(true));
  std::unique_ptr<AudioPlaybackStream> stream;
  ASSERT_EQ(backend.OpenPlayback(MakePcmFormat(8000, 1, 16), &stream), S_OK);
  const std::vector<uint8_t> second(16000);
  const SteadyClock::time_point start = SteadyClock::now();
  EXPECT_EQ(stream->Write(second), S_OK);  // the device takes one buffer at once
  EXPECT_LT(SteadyClock::now() - start, 500ms);
  std::future<HRESULT> blocked = std::async(std::launch::async, [&] { return stream->Write(second); });
  EXPECT_EQ(blocked.wait_for(300ms), std::future_status::timeout);
  stream->SetFlushing(true);
  EXPECT_EQ(blocked.get(), S_FALSE);
}

}  // namespace
