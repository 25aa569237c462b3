#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "filters/WavDestFilter.h"
#include "platform/media/WaveFileHeader.h"
#include "support/FilterHarness.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Payload(size_t count, uint8_t first = 1) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i * 7);
  return bytes;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

AM_MEDIA_TYPE WaveType(Bytes block) {
  AM_MEDIA_TYPE type = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  type.format = std::move(block);
  return type;
}

Bytes PcmBlock() { return EncodeWaveFormat(MakePcmFormat(44100, 2, 16)); }

// The older PCM record without the extra-size field.
Bytes ShortPcmBlock() {
  Bytes block = PcmBlock();
  block.resize(16);
  return block;
}

Bytes BlockWithExtra(uint16_t tag, size_t extraBytes) {
  WAVEFORMATEX format = MakePcmFormat(44100, 2, 16);
  format.wFormatTag = tag;
  return EncodeWaveFormat(format, Payload(extraBytes, 0xA0));
}

bool TagAt(const Bytes& file, size_t offset, const char* tag) {
  return file.size() >= offset + 4 && std::memcmp(file.data() + offset, tag, 4) == 0;
}

uint32_t Le32At(const Bytes& file, size_t offset) {
  return file.size() >= offset + 4 ? GetLe32(file.data() + offset) : 0;
}

std::shared_ptr<CWavDestFilter> NewFilter() {
  HRESULT hr = E_FAIL;
  auto filter = std::make_shared<CWavDestFilter>(&hr);
  EXPECT_EQ(hr, S_OK);
  return filter;
}

FilterHarnessOptions Options(Bytes block, HarnessSink sink = HarnessSink::File) {
  FilterHarnessOptions options;
  options.sourceType = WaveType(std::move(block));
  options.sourceBuffers = {4, 256, 1, 0};
  options.sink = sink;
  return options;
}

// Sends `payload` in buffer-sized pieces; false at the first piece not accepted.
bool SendInPieces(FilterHarness& harness, const Bytes& payload, size_t pieceBytes = 256) {
  for (size_t at = 0; at < payload.size(); at += pieceBytes) {
    const size_t count = std::min(pieceBytes, payload.size() - at);
    if (harness.Send(std::span(payload).subspan(at, count)) != S_OK) return false;
  }
  return true;
}

// ---- The file, byte for byte ----

struct LayoutCase {
  const char* name;
  Bytes block;
  size_t payloadBytes;
  size_t headerBytes;
  size_t dataTagOffset;
  uint32_t riffSize;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class WavDestLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WavDestLayout, WritesHeaderAndPayloadAtTheirPositions) {
  const LayoutCase& c = GetParam();
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(c.block));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes payload = Payload(c.payloadBytes);
  ASSERT_TRUE(SendInPieces(harness, payload));
  ASSERT_EQ(harness.Stop(), S_OK);

  const Bytes file = harness.File()->FileBytes();
  ASSERT_EQ(file.size(), c.headerBytes + c.payloadBytes);
  EXPECT_TRUE(TagAt(file, 0, "RIFF"));
  EXPECT_EQ(Le32At(file, 4), c.riffSize);
  EXPECT_TRUE(TagAt(file, 8, "WAVE"));
  EXPECT_TRUE(TagAt(file, 12, "fmt "));
  EXPECT_EQ(Le32At(file, 16), c.block.size());
  EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 20 + static_cast<long>(c.block.size())), c.block);
  EXPECT_TRUE(TagAt(file, c.dataTagOffset, "data"));
  EXPECT_EQ(Le32At(file, c.dataTagOffset + 4), c.payloadBytes);
  EXPECT_EQ(Bytes(file.begin() + static_cast<long>(c.headerBytes), file.end()), payload);

  // Stream times are the byte positions the file writer puts each sample at.
  REFERENCE_TIME position = static_cast<REFERENCE_TIME>(c.headerBytes);
  for (const ReceivedSample& sample : harness.Sink().Samples()) {
    ASSERT_TRUE(sample.times);
    EXPECT_EQ(*sample.times, (SampleTimes{position, position + static_cast<REFERENCE_TIME>(sample.bytes.size())}));
    position = sample.times->end;
  }
}

INSTANTIATE_TEST_SUITE_P(
    WavDest, WavDestLayout,
    ::testing::Values(LayoutCase{"Pcm18ByteBlock", PcmBlock(), 1000, 46, 38, 1038},
                      LayoutCase{"Pcm16ByteBlock", ShortPcmBlock(), 100, 44, 36, 136},
                      LayoutCase{"OddBlockGetsNoPadByte", BlockWithExtra(WAVE_FORMAT_PCM, 3), 10, 49, 41, 51},
                      LayoutCase{"Mpeg40ByteBlock", BlockWithExtra(WAVE_FORMAT_MPEG, 22), 417, 68, 60, 477},
                      LayoutCase{"EmptyRun", PcmBlock(), 0, 46, 38, 38}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What counts toward the data length ----

class WavDestRefusedDelivery : public ::testing::TestWithParam<HRESULT> {};

TEST_P(WavDestRefusedDelivery, IsNotCountedAndTheNextSampleTakesItsPosition) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes first = Payload(100, 1), refused = Payload(200, 2), third = Payload(150, 3);
  harness.Sink().ReplyToNext(S_OK);
  harness.Sink().ReplyToNext(GetParam());
  EXPECT_EQ(harness.Send(first), S_OK);
  EXPECT_EQ(harness.Send(refused), GetParam());
  EXPECT_EQ(harness.Send(third), S_OK);
  ASSERT_EQ(harness.Stop(), S_OK);

  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 3u);
  EXPECT_EQ(samples[1].times->start, 146);
  EXPECT_EQ(samples[2].times->start, 146);
  const Bytes file = harness.File()->FileBytes();
  EXPECT_EQ(Le32At(file, 42), 250u);
  EXPECT_EQ(Le32At(file, 4), 46u + 250 - 8);
  EXPECT_EQ(Bytes(file.begin() + 46, file.end()), Concat(first, third));
}

INSTANTIATE_TEST_SUITE_P(WavDest, WavDestRefusedDelivery, ::testing::Values(S_FALSE, E_FAIL, HResultFromErrno(ENOSPC)));

// Starts each run as if a nearly 4 GiB recording had already been written.
class CWavDestFilterNearLimit : public CWavDestFilter {
 public:
  static constexpr uint32_t kRoomBytes = 10;
  HRESULT StartStreaming() override {
    const HRESULT hr = CWavDestFilter::StartStreaming();
    m_dataLength = 0xFFFFFFFFu - m_headerLength - kRoomBytes;
    return hr;
  }
};

TEST(WavDest, RefusesSamplesThatWouldTakeTheFilePast4GiB) {
  auto filter = std::make_shared<CWavDestFilterNearLimit>();
  FilterHarness harness(filter, Options(PcmBlock(), HarnessSink::Recorder));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);

  EXPECT_EQ(harness.Send(Payload(CWavDestFilterNearLimit::kRoomBytes)), S_OK);
  EXPECT_EQ(harness.Send(Payload(1)), E_FAIL);
  EXPECT_EQ(harness.Send(Bytes{}), S_OK);

  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 2u) << "the refused sample must not be delivered";
  EXPECT_EQ(*samples[0].times, (SampleTimes{0xFFFFFFF5, 0xFFFFFFFF}));
  EXPECT_EQ(samples[1].times->start, 0xFFFFFFFF) << "the refused sample must not be counted";
}

TEST(WavDest, RefusesASampleLargerThanItsOutputBuffer) {
  auto filter = NewFilter();
  FilterHarnessOptions options = Options(PcmBlock());
  options.sourceBuffers = {1, 100, 1, 0};
  FilterHarness harness(filter, options);
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);

  Bytes tooLong = Payload(200);
  CMediaSample sample(tooLong.data(), static_cast<long>(tooLong.size()));
  EXPECT_EQ(filter->InputPin()->Receive(&sample), VFW_E_BUFFER_OVERFLOW);
  EXPECT_EQ(harness.Send(Payload(50)), S_OK);
  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].times->start, 46);
}

TEST(WavDest, EachRunStartsItsCountsAfresh) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_EQ(harness.Send(Payload(100)), S_OK);
  ASSERT_EQ(harness.Stop(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_EQ(harness.Send(Payload(30)), S_OK);
  ASSERT_EQ(harness.Stop(), S_OK);

  EXPECT_EQ(harness.Sink().Samples().back().times->start, 46);
  const Bytes file = harness.File()->FileBytes();
  EXPECT_EQ(Le32At(file, 4), 46u + 30 - 8);
  EXPECT_EQ(Le32At(file, 42), 30u);
}

// ---- The header at stop ----

TEST(WavDestHeader, NeedsTheDownstreamStream) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(PcmBlock(), HarnessSink::Recorder));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  EXPECT_EQ(harness.Stop(), E_NOINTERFACE);
}

// The header written before the first sample: both sizes say "to the end of the file".
Bytes ProvisionalHeader(const Bytes& block) {
  Bytes header = Concat(Bytes{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '},
                        {static_cast<uint8_t>(block.size()), 0, 0, 0});
  return Concat(Concat(header, block), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0xFF});
}

TEST(WavDestHeader, StreamFailureAtStopIsReturnedAndTheProvisionalHeaderStays) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes payload = Payload(20);
  ASSERT_EQ(harness.Send(payload), S_OK);
  harness.File()->FailStreamWith(HResultFromErrno(ENOSPC));
  EXPECT_EQ(harness.Stop(), HResultFromErrno(ENOSPC));
  EXPECT_EQ(harness.File()->FileBytes(), Concat(ProvisionalHeader(PcmBlock()), payload));
}

TEST(WavDestHeader, AFileCutOffBeforeStopHasAHeaderForAnUnknownLength) {
  for (const Bytes& block : {PcmBlock(), BlockWithExtra(WAVE_FORMAT_MPEG, 22)}) {
    auto filter = NewFilter();
    FilterHarness harness(filter, Options(block));
    ASSERT_EQ(harness.Connect(), S_OK);
    ASSERT_EQ(harness.Run(), S_OK);
    EXPECT_EQ(harness.File()->FileBytes(), ProvisionalHeader(block)) << "before the first sample";
    const Bytes payload = Payload(700);
    ASSERT_TRUE(SendInPieces(harness, payload));
    EXPECT_EQ(harness.File()->FileBytes(), Concat(ProvisionalHeader(block), payload));
  }
}

// The file writer reports a failed write with its reason; a start refused here would be taken
// for a device that cannot record.
TEST(WavDestHeader, AProvisionalHeaderThatCannotBeWrittenLeavesTheReportToTheFileWriter) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  harness.File()->FailStreamWith(HResultFromErrno(ENOSPC));
  EXPECT_EQ(harness.Run(), S_OK);
  EXPECT_EQ(harness.Stop(), HResultFromErrno(ENOSPC));
}

// ---- Parts: no file passes the limit ----

constexpr uint32_t kPartLimit = 64 * 1024;

// Checks that `part` is a complete file of the limit at most, and returns its payload.
Bytes PayloadOfPart(const Bytes& part, const Bytes& block) {
  const size_t header = 28 + block.size();
  EXPECT_LE(part.size(), kPartLimit);
  EXPECT_GE(part.size(), header);
  if (part.size() < header) return {};
  EXPECT_EQ(Bytes(part.begin(), part.begin() + static_cast<long>(header)),
            MakeWaveFileHeader(block, static_cast<uint32_t>(part.size() - header)));
  return Bytes(part.begin() + static_cast<long>(header), part.end());
}

std::shared_ptr<CWavDestFilter> NewFilterWithPartLimit() {
  auto filter = NewFilter();
  filter->SetPartLimit(kPartLimit);
  return filter;
}

FilterHarnessOptions LargeBufferOptions(Bytes block) {
  FilterHarnessOptions options = Options(std::move(block));
  options.sourceBuffers = {4, 200000, 1, 0};
  return options;
}

TEST(WavDestParts, PartsAreFilledToTheLastBlockWithinTheLimitAndCompleted) {
  auto filter = NewFilterWithPartLimit();
  FilterHarness harness(filter, LargeBufferOptions(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  Bytes sent;
  for (int i = 0; i < 20; ++i) {
    const Bytes sample = Payload(10000, static_cast<uint8_t>(i));
    ASSERT_EQ(harness.Send(sample), S_OK);
    sent = Concat(sent, sample);
  }
  ASSERT_EQ(harness.Stop(), S_OK);

  const std::vector<Bytes> parts = harness.File()->Parts();
  ASSERT_EQ(parts.size(), 4u);
  const std::vector<size_t> expected = {65488, 65488, 65488, 3536};  // 65536 - 46, down to whole frames
  Bytes joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Bytes payload = PayloadOfPart(parts[i], PcmBlock());
    EXPECT_EQ(payload.size(), expected[i]) << "part " << i + 1;
    joined = Concat(joined, payload);
  }
  EXPECT_EQ(joined, sent) << "nothing lost or repeated at the seams";
}

TEST(WavDestParts, ASeamFallsOnABlockBoundaryOfTheStream) {
  WAVEFORMATEX adpcm = MakePcmFormat(44100, 2, 4);
  adpcm.wFormatTag = 0x11;
  adpcm.nBlockAlign = 1000;
  const Bytes block = EncodeWaveFormat(adpcm, Bytes{0xF9, 0x07});
  auto filter = NewFilterWithPartLimit();
  FilterHarness harness(filter, LargeBufferOptions(block));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  // Samples need not be whole blocks: the seam counts from the stream's start.
  const Bytes first = Payload(3500, 1), large = Payload(150000, 2);
  ASSERT_EQ(harness.Send(first), S_OK);
  ASSERT_EQ(harness.Send(large), S_OK);
  ASSERT_EQ(harness.Stop(), S_OK);

  const std::vector<Bytes> parts = harness.File()->Parts();
  ASSERT_EQ(parts.size(), 3u);
  const std::vector<size_t> expected = {65000, 65000, 23500};
  Bytes joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Bytes payload = PayloadOfPart(parts[i], block);
    EXPECT_EQ(payload.size(), expected[i]) << "part " << i + 1;
    joined = Concat(joined, payload);
  }
  EXPECT_EQ(joined, Concat(first, large));
}

// MPEG-1 Layer III frames at 128 kbit/s and 44.1 kHz: 417 bytes, 418 with the padding bit.
Bytes MpegFrames(int count) {
  Bytes stream;
  for (int i = 0; i < count; ++i) {
    const bool padded = i % 3 == 0;
    Bytes frame = Payload(padded ? 418 : 417, static_cast<uint8_t>(i));
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = padded ? 0x92 : 0x90;
    frame[3] = 0x00;
    stream = Concat(stream, frame);
  }
  return stream;
}

TEST(WavDestParts, MpegAudioIsCutBetweenFramesWhereverTheSamplesEnd) {
  const Bytes block = BlockWithExtra(WAVE_FORMAT_MPEG, 22);
  auto filter = NewFilterWithPartLimit();
  FilterHarness harness(filter, LargeBufferOptions(block));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes stream = MpegFrames(500);
  ASSERT_TRUE(SendInPieces(harness, stream, 10007));
  ASSERT_EQ(harness.Stop(), S_OK);

  const std::vector<Bytes> parts = harness.File()->Parts();
  ASSERT_EQ(parts.size(), 4u);
  Bytes joined;
  for (const Bytes& part : parts) {
    const Bytes payload = PayloadOfPart(part, block);
    const bool last = &part == &parts.back();
    // Whole frames from the first byte to the last.
    size_t at = 0;
    while (at + 4 <= payload.size() && payload[at] == 0xFF && payload[at + 1] == 0xFB)
      at += payload[at + 2] == 0x92 ? 418 : 417;
    EXPECT_EQ(at, payload.size()) << "a part does not hold whole frames";
    if (!last) EXPECT_GT(payload.size(), 65536u - 68 - 418) << "a part left more than a frame unused";
    joined = Concat(joined, payload);
  }
  EXPECT_EQ(joined, stream);
}

TEST(WavDestParts, AFailedContinuationRefusesTheSampleAndLeavesTheFileComplete) {
  auto filter = NewFilterWithPartLimit();
  FilterHarness harness(filter, LargeBufferOptions(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes kept = Payload(65488);
  ASSERT_EQ(harness.Send(kept), S_OK);
  harness.File()->FailContinuationWith(E_ACCESSDENIED);
  EXPECT_EQ(harness.Send(Payload(4)), E_ACCESSDENIED);
  const std::vector<Bytes> cut = harness.File()->Parts();
  ASSERT_EQ(cut.size(), 1u);
  EXPECT_EQ(PayloadOfPart(cut[0], PcmBlock()), kept) << "complete even before stop";
  EXPECT_EQ(harness.Stop(), S_OK);
  EXPECT_EQ(harness.File()->Parts(), cut);
}

TEST(WavDestParts, WithoutAContinuationASampleBeyondTheLimitIsRefused) {
  auto filter = NewFilterWithPartLimit();
  FilterHarnessOptions options = LargeBufferOptions(PcmBlock());
  options.sink = HarnessSink::Recorder;
  FilterHarness harness(filter, options);
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  EXPECT_EQ(harness.Send(Payload(kPartLimit - 46)), S_OK);
  EXPECT_EQ(harness.Send(Payload(4)), E_FAIL);
  EXPECT_EQ(harness.Sink().Samples().size(), 1u);
}

// ---- Negotiation ----

TEST(WavDestNegotiation, InputTakesAnyTypeWithAWaveFormatBlockOnly) {
  auto filter = NewFilter();
  AM_MEDIA_TYPE mp3 = MakeAudioMediaType(WAVEFORMATEX{WAVE_FORMAT_MPEGLAYER3, 2, 44100, 16000, 1, 0, 12}, Payload(12));
  AM_MEDIA_TYPE streamMajor = WaveType(PcmBlock());
  streamMajor.majortype = MEDIATYPE_Stream;
  EXPECT_EQ(filter->CheckInputType(&mp3), S_OK);
  EXPECT_EQ(filter->CheckInputType(&streamMajor), S_OK);

  FilterHarnessOptions options = Options(PcmBlock());
  options.sourceType.formattype = FORMAT_None;
  EXPECT_EQ(filter->CheckInputType(&options.sourceType), S_FALSE);
  FilterHarness harness(filter, options);
  EXPECT_TRUE(FAILED(harness.Connect()));
  IPin* peer = nullptr;
  EXPECT_EQ(harness.FilterInput()->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
}

TEST(WavDestNegotiation, OutputConnectsOnlyAsAWaveByteStream) {
  auto filter = NewFilter();
  FilterHarnessOptions audioSink = Options(PcmBlock());
  audioSink.sinkAcceptsOnly = audioSink.sourceType;
  FilterHarness refused(filter, audioSink);
  EXPECT_TRUE(FAILED(refused.Connect()));
  IPin* peer = nullptr;
  EXPECT_EQ(refused.FilterOutput()->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);

  FilterHarness harness(NewFilter(), Options(PcmBlock()));
  ASSERT_EQ(harness.Connect(), S_OK);
  AM_MEDIA_TYPE connected;
  ASSERT_EQ(harness.Sink().ConnectionMediaType(&connected), S_OK);
  EXPECT_EQ(connected.majortype, MEDIATYPE_Stream);
  EXPECT_EQ(connected.subtype, MEDIASUBTYPE_WAVE);
  EXPECT_TRUE(connected.format.empty());
}

TEST(WavDestNegotiation, OneOutputBufferAsLargeAsTheInputBuffers) {
  auto filter = NewFilter();
  CMemAllocator unused;
  ALLOCATOR_PROPERTIES request;
  EXPECT_EQ(filter->DecideBufferSize(&unused, &request), E_UNEXPECTED) << "input not connected";

  FilterHarnessOptions options = Options(PcmBlock());
  options.sourceBuffers = {3, 3000, 4, 0};
  FilterHarness harness(filter, options);
  ASSERT_EQ(harness.Connect(), S_OK);
  ALLOCATOR_PROPERTIES granted;
  ASSERT_EQ(harness.Sink().Allocator()->GetProperties(&granted), S_OK);
  EXPECT_EQ(granted.cBuffers, 1);
  EXPECT_EQ(granted.cbBuffer, 3000);
  EXPECT_EQ(granted.cbAlign, 1);
}

}  // namespace
