#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "filters/TimeScale.h"
#include "filters/VorbisEnc.h"
#include "filters/VorbisTestDecoder.h"
#include "platform/media/StreamConfig.h"
#include "support/FilterHarness.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kRate = 44100;

// 16-bit interleaved frames; channel c carries a sine of baseHz * (c + 1) at `levels[c]`.
Bytes Tone(int frames, const std::vector<double>& levels, int firstFrame = 0, double baseHz = 440.0) {
  const size_t channels = levels.size();
  Bytes bytes(static_cast<size_t>(frames) * channels * 2);
  for (int i = 0; i < frames; ++i) {
    for (size_t c = 0; c < channels; ++c) {
      const double phase = 2 * std::numbers::pi * baseHz * static_cast<double>(c + 1) * (firstFrame + i) / kRate;
      const auto value = static_cast<int16_t>(std::lround(levels[c] * 32767 * std::sin(phase)));
      PutLe16(&bytes[(static_cast<size_t>(i) * channels + c) * 2], static_cast<uint16_t>(value));
    }
  }
  return bytes;
}

SampleTimes AtFrames(int64_t first, int64_t count) {
  return {ScaleRounded(first, kUnitsPerSecond, kRate), ScaleRounded(first + count, kUnitsPerSecond, kRate)};
}

int64_t GranuleOf(const ReceivedSample& sample) { return ScaleRounded(sample.times->start, kRate, kUnitsPerSecond); }

FilterHarnessOptions PcmOptions(uint16_t channels, uint16_t bits = 16) {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(MakePcmFormat(kRate, channels, bits));
  options.sink = HarnessSink::Recorder;
  return options;
}

IAMStreamConfig* StreamConfigOf(IPin* pin) { return QueryInterface<IAMStreamConfig>(pin); }

// Sets the encoder's settings through its output pin as the recorder does.
HRESULT Configure(IPin* output, float quality, int32_t minBps = 0, int32_t avgBps = 0, int32_t maxBps = 0) {
  AM_MEDIA_TYPE type;
  HRESULT hr = StreamConfigOf(output)->GetFormat(&type);
  if (FAILED(hr)) return hr;
  VORBISFORMAT format = *VorbisFormatOf(type);
  format.fQuality = quality;
  format.nMinBitsPerSec = minBps;
  format.nAvgBitsPerSec = avgBps;
  format.nMaxBitsPerSec = maxBps;
  type.format = EncodeVorbisFormat(format);
  return StreamConfigOf(output)->SetFormat(&type);
}

class VorbisEncTest : public ::testing::Test {
 protected:
  void Start(uint16_t channels = 2, float quality = 0.4f) {
    m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(channels));
    ASSERT_EQ(m_harness->Connect(), S_OK);
    ASSERT_EQ(Configure(m_harness->FilterOutput(), quality), S_OK);
    ASSERT_EQ(m_harness->Run(), S_OK);
  }

  std::vector<ReceivedSample> Packets() const { return m_harness->Sink().Samples(); }

  std::shared_ptr<CVorbisEnc> m_filter = std::make_shared<CVorbisEnc>();
  std::unique_ptr<FilterHarness> m_harness;
};

TEST_F(VorbisEncTest, FirstThreeSamplesAreTheHeadersAtTimeZero) {
  Start();
  ASSERT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}), AtFrames(0, 4410)), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> packets = Packets();
  ASSERT_GT(packets.size(), 3u);
  const uint8_t kinds[] = {1, 3, 5};
  for (int i = 0; i < 3; ++i) {
    ASSERT_GE(packets[i].bytes.size(), 7u);
    EXPECT_EQ(packets[i].bytes[0], kinds[i]);
    EXPECT_EQ(std::memcmp(&packets[i].bytes[1], "vorbis", 6), 0);
    EXPECT_EQ(packets[i].times, (SampleTimes{0, 0}));
  }
  EXPECT_EQ(packets[3].bytes[0] & 1, 0) << "audio packets follow the headers";
  EXPECT_TRUE(m_harness->Sink().AtEndOfStream());
}

TEST_F(VorbisEncTest, EndOfStreamDrainsEveryFrameAndTimesAreOrdered) {
  Start();
  for (int first = 0; first < 30000; first += 3000)
    ASSERT_EQ(m_harness->Send(Tone(3000, {0.5, 0.5}, first), AtFrames(first, 3000)), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> packets = Packets();
  ASSERT_GT(packets.size(), 4u);
  EXPECT_EQ(GranuleOf(packets.back()), 30000);
  for (size_t i = 4; i < packets.size(); ++i) {
    EXPECT_LE(packets[i - 1].times->start, packets[i].times->start);
    EXPECT_LE(packets[i].times->start, packets[i].times->end);
  }
  const DecodedVorbis decoded = DecodeVorbisPackets(packets);
  ASSERT_TRUE(decoded.valid);
  EXPECT_GE(decoded.samples[0].size(), 30000u);
  EXPECT_NEAR(Rms(decoded.samples[0], 1000, 29000), 0.5 / std::sqrt(2.0), 0.03);
}

TEST_F(VorbisEncTest, AFailedDeliveryAtTheEndStillEndsTheStreamDownstream) {
  Start();
  ASSERT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}), AtFrames(0, 4410)), S_OK);
  m_harness->Sink().ReplyToNext(E_FAIL);
  EXPECT_EQ(m_harness->SendEndOfStream(), E_FAIL);
  EXPECT_TRUE(m_harness->Sink().AtEndOfStream());
}

TEST_F(VorbisEncTest, FirstSampleAtHalfASecondGetsSilenceBeforeIt) {
  Start();
  ASSERT_EQ(m_harness->Send(Tone(8820, {0.5, 0.5}), SampleTimes{kUnitsPerSecond / 2, kUnitsPerSecond * 7 / 10}), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> packets = Packets();
  EXPECT_EQ(GranuleOf(packets.back()), 22050 + 8820);
  const DecodedVorbis decoded = DecodeVorbisPackets(packets);
  ASSERT_TRUE(decoded.valid);
  EXPECT_LT(Rms(decoded.samples[0], 0, 21000), 0.01);
  EXPECT_GT(Rms(decoded.samples[0], 23000, 30000), 0.3);
}

TEST_F(VorbisEncTest, OverlapIsTrimmedAndSamplesWhollyBehindProduceNothing) {
  Start();
  ASSERT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}), AtFrames(0, 4410)), S_OK);
  // Overlaps the first by 100 frames: only its last 4310 frames are new.
  ASSERT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}, 4310), AtFrames(4310, 4410)), S_OK);
  const size_t before = Packets().size();
  ASSERT_EQ(m_harness->Send(Tone(4410, {0.9, 0.9}), AtFrames(0, 4410)), S_OK);
  EXPECT_EQ(Packets().size(), before);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> packets = Packets();
  EXPECT_EQ(GranuleOf(packets.back()), 8720);
  const DecodedVorbis decoded = DecodeVorbisPackets(packets);
  ASSERT_TRUE(decoded.valid);
  // One continuous tone: no doubled stretch, no louder sample from behind.
  EXPECT_NEAR(Rms(decoded.samples[0], 500, 8200), 0.5 / std::sqrt(2.0), 0.03);
}

TEST_F(VorbisEncTest, PauseAndResumeContinueOneStream) {
  Start();
  ASSERT_EQ(m_harness->Send(Tone(10000, {0.5, 0.5}), AtFrames(0, 10000)), S_OK);
  ASSERT_EQ(m_harness->Pause(), S_OK);
  ASSERT_EQ(m_harness->Run(), S_OK);
  ASSERT_EQ(m_harness->Send(Tone(10000, {0.5, 0.5}, 10000), AtFrames(10000, 10000)), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> packets = Packets();
  int headers = 0;
  for (const ReceivedSample& packet : packets) headers += packet.bytes[0] & 1;
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(GranuleOf(packets.back()), 20000);
}

TEST_F(VorbisEncTest, SixChannelsLeaveInVorbisOrder) {
  // Only the input's LFE (channel 3) carries sound, low as LFE coding keeps it; Vorbis puts
  // LFE last.
  Start(6);
  const std::vector<double> levels{0, 0, 0, 0.5, 0, 0};
  ASSERT_EQ(m_harness->Send(Tone(4000, levels, 0, 15.0), AtFrames(0, 4000)), S_OK);
  ASSERT_EQ(m_harness->Send(Tone(4000, levels, 4000, 15.0), AtFrames(4000, 4000)), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const DecodedVorbis decoded = DecodeVorbisPackets(Packets());
  ASSERT_TRUE(decoded.valid);
  ASSERT_EQ(decoded.channels, 6);
  EXPECT_GT(Rms(decoded.samples[5], 500, 7500), 0.2);
  for (int c = 0; c < 5; ++c) EXPECT_LT(Rms(decoded.samples[c], 500, 7500), 0.05) << "channel " << c;
}

TEST_F(VorbisEncTest, QualityInRangeSelectsQualityModeOtherwiseBitrateManagement) {
  struct Case {
    float quality;
    bool managed;
  };
  for (const Case c : {Case{1.0f, false}, Case{-1.0f, true}}) {
    m_filter = std::make_shared<CVorbisEnc>();
    m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(2));
    ASSERT_EQ(m_harness->Connect(), S_OK);
    ASSERT_EQ(Configure(m_harness->FilterOutput(), c.quality, 64000, 112000, 128000), S_OK);
    ASSERT_EQ(m_harness->Run(), S_OK);
    ASSERT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}), AtFrames(0, 4410)), S_OK);
    ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
    const DecodedVorbis decoded = DecodeVorbisPackets(Packets());
    ASSERT_TRUE(decoded.valid);
    if (c.managed) {
      EXPECT_EQ(decoded.minBitrate, 64000);
      EXPECT_EQ(decoded.nominalBitrate, 112000);
      EXPECT_EQ(decoded.maxBitrate, 128000);
    } else {
      EXPECT_NE(decoded.maxBitrate, 128000);
      EXPECT_NE(decoded.minBitrate, 64000);
    }
  }
}

TEST_F(VorbisEncTest, SettingsTheLibraryRefusesFailSamplesInsteadOfWritingNothing) {
  m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(2));
  ASSERT_EQ(m_harness->Connect(), S_OK);
  ASSERT_EQ(Configure(m_harness->FilterOutput(), -1.0f, -1, -1, -1), S_OK);
  ASSERT_EQ(m_harness->Run(), S_OK);
  ClearErrorInfo();
  EXPECT_EQ(m_harness->Send(Tone(4410, {0.5, 0.5}), AtFrames(0, 4410)), VFW_E_RUNTIME_ERROR);
  EXPECT_NE(GetErrorInfo().find("-1, -1 and -1 bit/s"), std::string::npos) << GetErrorInfo();
  EXPECT_TRUE(Packets().empty());
}

TEST_F(VorbisEncTest, InputOfEverySampleSizeIsAcceptedOrRefusedAtConnection) {
  struct Case {
    WAVEFORMATEX format;
    bool accepted;
  };
  WAVEFORMATEX floats = MakePcmFormat(kRate, 2, 32);
  floats.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  WAVEFORMATEX floats16 = MakePcmFormat(kRate, 2, 16);
  floats16.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  WAVEFORMATEX adpcm = MakePcmFormat(kRate, 2, 4);
  adpcm.wFormatTag = 2;
  WAVEFORMATEX badAlign = MakePcmFormat(kRate, 2, 16);
  badAlign.nBlockAlign = 3;
  const Case cases[] = {
      {MakePcmFormat(kRate, 2, 8), true},
      {MakePcmFormat(kRate, 2, 16), true},
      {MakePcmFormat(kRate, 2, 24), true},
      {MakePcmFormat(kRate, 2, 32), true},
      {floats, true},
      {MakePcmFormat(kRate, 2, 12), false},
      {floats16, false},
      {adpcm, false},
      {badAlign, false},
  };
  for (const Case& c : cases) {
    const AM_MEDIA_TYPE type = MakeAudioMediaType(c.format);
    EXPECT_EQ(m_filter->CheckInputType(&type), c.accepted ? S_OK : VFW_E_TYPE_NOT_ACCEPTED)
        << "tag " << c.format.wFormatTag << ", " << c.format.wBitsPerSample << " bits";
  }
  AM_MEDIA_TYPE noFormat = MakeAudioMediaType(MakePcmFormat(kRate, 2, 16));
  noFormat.formattype = FORMAT_None;
  EXPECT_EQ(m_filter->CheckInputType(&noFormat), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST_F(VorbisEncTest, TwentyFourBitInputIsEncoded) {
  m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(1, 24));
  ASSERT_EQ(m_harness->Connect(), S_OK);
  ASSERT_EQ(m_harness->Run(), S_OK);
  Bytes bytes(8000 * 3);
  for (int i = 0; i < 8000; ++i) {
    const auto value =
        static_cast<int32_t>(std::lround(0.5 * 8388607 * std::sin(2 * std::numbers::pi * 440 * i / kRate)));
    for (int b = 0; b < 3; ++b) bytes[i * 3 + b] = static_cast<uint8_t>(value >> (8 * b));
  }
  ASSERT_EQ(m_harness->Send(bytes, AtFrames(0, 8000)), S_OK);
  ASSERT_EQ(m_harness->SendEndOfStream(), S_OK);
  const DecodedVorbis decoded = DecodeVorbisPackets(Packets());
  ASSERT_TRUE(decoded.valid);
  EXPECT_NEAR(Rms(decoded.samples[0], 500, 7500), 0.5 / std::sqrt(2.0), 0.03);
}

TEST_F(VorbisEncTest, StreamConfigurationNeedsTheInputAndMatchingChannels) {
  IPin* output = m_filter->GetPin(1);
  AM_MEDIA_TYPE type;
  EXPECT_EQ(StreamConfigOf(output)->GetFormat(&type), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(StreamConfigOf(output)->SetFormat(&type), VFW_E_NOT_CONNECTED);
  int count = 0, size = 0;
  EXPECT_EQ(StreamConfigOf(output)->GetNumberOfCapabilities(&count, &size), E_NOTIMPL);

  m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(2));
  ASSERT_EQ(m_harness->Source().Connect(m_harness->FilterInput(), nullptr), S_OK);
  ASSERT_EQ(StreamConfigOf(output)->GetFormat(&type), S_OK);
  EXPECT_TRUE(IsVorbisMediaType(type));
  EXPECT_EQ(*VorbisFormatOf(type), (VORBISFORMAT{2, 44100, 0, 0, 0, 0.0f}));

  // Set before the output connects: the connection carries the settings.
  ASSERT_EQ(Configure(output, -1.0f, 64000, 112000, 128000), S_OK);
  ASSERT_EQ(output->Connect(&m_harness->Sink(), nullptr), S_OK);
  EXPECT_EQ(*VorbisFormatOf(m_harness->Sink().CurrentMediaType()),
            (VORBISFORMAT{2, 44100, 64000, 112000, 128000, -1.0f}));

  // On a connected pin the type changes without reconnection.
  ASSERT_EQ(Configure(output, 0.5f), S_OK);
  ASSERT_EQ(StreamConfigOf(output)->GetFormat(&type), S_OK);
  EXPECT_EQ(VorbisFormatOf(type)->fQuality, 0.5f);

  VORBISFORMAT mono = *VorbisFormatOf(type);
  mono.nChannels = 1;
  AM_MEDIA_TYPE monoType = MakeVorbisMediaType(mono);
  EXPECT_EQ(StreamConfigOf(output)->SetFormat(&monoType), VFW_E_TYPE_NOT_ACCEPTED);
  AM_MEDIA_TYPE pcm = MakeAudioMediaType(MakePcmFormat(kRate, 2, 16));
  EXPECT_EQ(StreamConfigOf(output)->SetFormat(&pcm), VFW_E_INVALIDMEDIATYPE);

  ASSERT_EQ(m_harness->Run(), S_OK);
  EXPECT_EQ(StreamConfigOf(output)->SetFormat(&type), VFW_E_NOT_STOPPED);
}

TEST_F(VorbisEncTest, OffersOneOutputTypeAndBuffersOfAtLeast16KiB) {
  m_harness = std::make_unique<FilterHarness>(m_filter, PcmOptions(2));
  ASSERT_EQ(m_harness->Connect(), S_OK);
  AM_MEDIA_TYPE type;
  EXPECT_EQ(m_filter->GetMediaType(-1, &type), E_INVALIDARG);
  EXPECT_EQ(m_filter->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
  AM_MEDIA_TYPE pcm = MakeAudioMediaType(MakePcmFormat(kRate, 2, 16));
  EXPECT_EQ(m_filter->CheckTransform(&pcm, &pcm), VFW_E_TYPE_NOT_ACCEPTED);

  CMemAllocator allocator;
  ALLOCATOR_PROPERTIES request{0, 100, 8, 4};
  ASSERT_EQ(m_filter->DecideBufferSize(&allocator, &request), S_OK);
  ALLOCATOR_PROPERTIES actual;
  ASSERT_EQ(allocator.GetProperties(&actual), S_OK);
  EXPECT_EQ(actual.cBuffers, 1);
  EXPECT_EQ(actual.cbBuffer, 16384);
  EXPECT_EQ(actual.cbAlign, 1);
  EXPECT_EQ(actual.cbPrefix, 0);

  // Eight channels make larger packets.
  auto octo = std::make_shared<CVorbisEnc>();
  FilterHarness eight(octo, PcmOptions(8));
  ASSERT_EQ(eight.Connect(), S_OK);
  request = {0, 100, 8, 4};
  ASSERT_EQ(octo->DecideBufferSize(&allocator, &request), S_OK);
  ASSERT_EQ(allocator.GetProperties(&actual), S_OK);
  EXPECT_EQ(actual.cbBuffer, 8 * kVorbisBufferBytesPerChannel);
}

}  // namespace
