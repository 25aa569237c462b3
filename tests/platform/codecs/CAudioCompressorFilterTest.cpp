#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>

#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/codecs/CAudioCompressorFilter.h"
#include "support/FilterHarness.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Shape {
  uint32_t rateHz;
  uint16_t channels;
};

// Interleaved sines at half scale as 16-bit little-endian bytes, or as 8-bit (unsigned) bytes
// holding each sample's high byte; `widened8` gives the 16-bit values of those 8-bit samples.
Bytes Sine(uint32_t frames, Shape shape, uint16_t bits = 16, bool widened8 = false) {
  Bytes bytes;
  for (uint32_t n = 0; n < frames * shape.channels; ++n) {
    const auto value = static_cast<int16_t>(16384 * std::sin(0.06 * (n / shape.channels) * (1 + n % shape.channels)));
    const auto high = static_cast<int8_t>(value >> 8);
    if (bits == 8) bytes.push_back(static_cast<uint8_t>(high + 128));
    if (bits == 16)
      bytes.insert(bytes.end(), {uint8_t(widened8 ? 0 : value & 0xFF), uint8_t(widened8 ? high : value >> 8)});
  }
  return bytes;
}

// GSM 6.10 is defined for 8 kHz mono only; the others are tried in stereo.
Shape ShapeFor(const AudioCompressorDescription& description) {
  return description.onlyRateHz != 0 ? Shape{description.onlyRateHz, 1} : Shape{22050, 2};
}

FilterHarnessOptions Options(Shape shape, uint16_t bits = 16) {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(MakePcmFormat(shape.rateHz, shape.channels, bits));
  options.sourceBuffers = {4, 4096, 1, 0};
  options.sink = HarnessSink::Recorder;
  return options;
}

class CompressorFilter : public ::testing::TestWithParam<const AudioCompressorDescription*> {
 protected:
  std::unique_ptr<FilterHarness> Connected(FilterHarnessOptions options) {
    std::shared_ptr<IBaseFilter> filter;
    EXPECT_EQ(CAudioCompressorFilter::Create(*GetParam(), &filter), S_OK);
    auto harness = std::make_unique<FilterHarness>(filter, std::move(options));
    EXPECT_EQ(harness->Connect(), S_OK) << GetErrorInfo();
    return harness;
  }

  // Runs `pcm` through in pieces of `pieceBytes` and ends the stream; the samples that arrived.
  static std::vector<ReceivedSample> Stream(FilterHarness& harness, const Bytes& pcm, size_t pieceBytes = 4096) {
    const size_t before = harness.Sink().Samples().size();
    EXPECT_EQ(harness.Run(), S_OK) << GetErrorInfo();
    for (size_t at = 0; at < pcm.size(); at += pieceBytes)
      EXPECT_EQ(harness.Send(std::span(pcm).subspan(at, std::min(pieceBytes, pcm.size() - at))), S_OK);
    EXPECT_EQ(harness.SendEndOfStream(), S_OK);
    EXPECT_TRUE(harness.Sink().AtEndOfStream());
    EXPECT_EQ(harness.Stop(), S_OK);
    std::vector<ReceivedSample> samples = harness.Sink().Samples();
    samples.erase(samples.begin(), samples.begin() + static_cast<long>(before));
    return samples;
  }

  Bytes Encode(FilterHarnessOptions options, const Bytes& pcm, size_t pieceBytes = 4096) {
    Bytes bytes;
    for (const ReceivedSample& sample : Stream(*Connected(std::move(options)), pcm, pieceBytes))
      bytes.insert(bytes.end(), sample.bytes.begin(), sample.bytes.end());
    return bytes;
  }
};

TEST_P(CompressorFilter, EncodesWholeBlocksPadsTheLastAndTimesTheStream) {
  const Shape shape = ShapeFor(*GetParam());
  const uint32_t frames = shape.rateHz / 3 + 17;  // not a whole number of blocks
  const std::unique_ptr<FilterHarness> harness = Connected(Options(shape));
  AM_MEDIA_TYPE type;
  ASSERT_EQ(harness->FilterOutput()->ConnectionMediaType(&type), S_OK);
  const WAVEFORMATEX format = WaveFormatOf(type).value();
  EXPECT_EQ(format.wFormatTag, GetParam()->formatTag);
  const uint32_t perBlock = format.cbSize >= 2 ? GetLe16(&type.format[kWaveFormatExBytes]) : 1;
  const uint32_t blocks = (frames + perBlock - 1) / perBlock;

  const std::vector<ReceivedSample> samples = Stream(*harness, Sine(frames, shape));
  size_t bytes = 0;
  REFERENCE_TIME next = 0;
  for (const ReceivedSample& sample : samples) {
    bytes += sample.bytes.size();
    ASSERT_TRUE(sample.times.has_value());
    EXPECT_EQ(sample.times->start, next);
    next = sample.times->end;
  }
  EXPECT_EQ(bytes, size_t{blocks} * format.nBlockAlign);
  EXPECT_EQ(next, int64_t{blocks} * perBlock * kUnitsPerSecond / shape.rateHz);

  // A second run starts a fresh stream.
  const std::vector<ReceivedSample> again = Stream(*harness, Sine(frames, shape));
  ASSERT_EQ(again.size(), samples.size());
  EXPECT_EQ(again.front().times->start, 0);
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(again[i].bytes, samples[i].bytes) << i;
}

TEST_P(CompressorFilter, InputSplitAnywhereEncodesTheSameAsWholeBuffers) {
  const Shape shape = ShapeFor(*GetParam());
  const Bytes pcm = Sine(5000, shape);
  const Bytes whole = Encode(Options(shape), pcm);
  EXPECT_FALSE(whole.empty());
  EXPECT_EQ(Encode(Options(shape), pcm, 333), whole);  // pieces that split sample frames
}

TEST_P(CompressorFilter, EightBitInputEncodesLikeItsSixteenBitValues) {
  const Shape shape = ShapeFor(*GetParam());
  const Bytes eight = Encode(Options(shape, 8), Sine(3000, shape, 8));
  EXPECT_FALSE(eight.empty());
  EXPECT_EQ(eight, Encode(Options(shape), Sine(3000, shape, 16, true)));
}

TEST_P(CompressorFilter, RefusesInputItCannotCompress) {
  const Shape shape = ShapeFor(*GetParam());
  std::vector<FilterHarnessOptions> refused = {Options(shape, 24), Options({shape.rateHz, 3}), Options(shape, 32)};
  refused.back().sourceType.subtype.Data1 = 3;  // IEEE float
  if (GetParam()->onlyRateHz != 0) refused.push_back(Options({44100, 1}));
  if (GetParam()->maxChannels == 1) refused.push_back(Options({shape.rateHz, 2}));
  for (FilterHarnessOptions& options : refused) {
    std::shared_ptr<IBaseFilter> filter;
    ASSERT_EQ(CAudioCompressorFilter::Create(*GetParam(), &filter), S_OK);
    const WAVEFORMATEX format = WaveFormatOf(options.sourceType).value();
    FilterHarness harness(filter, std::move(options));
    ClearErrorInfo();
    EXPECT_TRUE(FAILED(harness.Connect()))
        << format.nSamplesPerSec << " Hz " << format.nChannels << " ch " << format.wBitsPerSample << " bits";
    EXPECT_EQ(GetErrorInfo().rfind(GetParam()->name, 0), 0u) << GetErrorInfo();  // says which compressor refused
  }
}

INSTANTIATE_TEST_SUITE_P(Compressors, CompressorFilter, ::testing::ValuesIn(AvailableAudioCompressors()),
                         [](const auto& info) { return std::string(info.param->encoderName); });

}  // namespace
