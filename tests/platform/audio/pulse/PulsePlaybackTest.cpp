// Playing on the sound server: what our playback stream plays on the default output is what
// parecord hears from that output's monitor, and the stream says how much is still to be heard.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/audio/pulse/PulseAudioBackend.h"
#include "platform/audio/pulse/PulsePlaybackStream.h"
#include "platform/audio/pulse/PulseTestServer.h"
#include "support/Process.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kRateHz = 44100;

TEST(PulsePlayback, WhatIsPlayedReachesTheOutputWholeAndThePositionFollows) {
  SKIP_WITHOUT_PULSE_SERVER();
  ScratchFolder folder;
  const std::string heard = folder.File("heard.wav");
  std::thread recorder([&] {
    RunProcess({"parecord", "--latency-msec=10", "--device=@DEFAULT_MONITOR@", "--file-format=wav", heard}, {},
               std::chrono::milliseconds(5000));
  });
  // An idle null output's monitor stalls for up to two seconds before it follows a listener.
  std::this_thread::sleep_for(2200ms);

  PulseAudioBackend backend;
  std::unique_ptr<AudioPlaybackStream> stream;
  ASSERT_EQ(backend.OpenPlayback(MakePcmFormat(kRateHz, 2, 16), &stream), S_OK);
  const std::vector<uint8_t> tone = SineBytes(kRateHz, 1000, 0.5, 1.0);
  ASSERT_EQ(stream->Write(tone), S_OK);
  // The write returns once the server holds the rest: that much is still to be heard.
  const uint64_t unplayed = stream->UnplayedFrames();
  EXPECT_GT(unplayed, 0u);
  EXPECT_LE(unplayed, kRateHz * PulsePlaybackStream::kBufferMs / 1000 + kRateHz / 10);
  ASSERT_EQ(stream->Drain(), S_OK);
  EXPECT_LT(stream->UnplayedFrames(), kRateHz / 20);
  stream.reset();
  recorder.join();

  std::vector<uint8_t> wav = ScratchFolder::Read(heard);
  ASSERT_GT(wav.size(), 44u);
  wav.erase(wav.begin(), wav.begin() + 44);
  const ToneMeasure measure = MeasureTone(wav, kRateHz);
  EXPECT_GE(measure.frames, kRateHz * 97 / 100);
  EXPECT_LE(measure.frames, kRateHz + 1);
  EXPECT_NEAR(measure.rms, 0.5 / std::sqrt(2.0), 0.01);
  EXPECT_NEAR(measure.frequencyHz, 1000, 5);
}

// Silence, so a test playing on the same output meanwhile hears nothing of it.
TEST(PulsePlayback, AFlushCutsOffAWriteAndDrainAtOnce) {
  SKIP_WITHOUT_PULSE_SERVER();
  PulseAudioBackend backend;
  std::unique_ptr<AudioPlaybackStream> stream;
  ASSERT_EQ(backend.OpenPlayback(MakePcmFormat(kRateHz, 2, 16), &stream), S_OK);
  const std::vector<uint8_t> tone = SineBytes(kRateHz, 440, 0.0, 3.0);
  HRESULT written = E_FAIL;
  std::thread writer([&] { written = stream->Write(tone); });
  std::this_thread::sleep_for(300ms);
  const auto flushed = std::chrono::steady_clock::now();
  ASSERT_EQ(stream->SetFlushing(true), S_OK);
  writer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - flushed, 500ms);
  EXPECT_EQ(written, S_FALSE);
  EXPECT_EQ(stream->Drain(), S_FALSE);
  ASSERT_EQ(stream->SetFlushing(false), S_OK);
  EXPECT_EQ(stream->Write(SineBytes(kRateHz, 440, 0.0, 0.1)), S_OK);
}

}  // namespace
