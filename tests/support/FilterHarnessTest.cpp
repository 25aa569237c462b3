#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/media/TransformFilter.h"
#include "support/FilterHarness.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Passes every sample through unchanged, with the input's type and buffer size.
class CPassThrough : public CTransformFilter {
 public:
  CPassThrough() : CTransformFilter(GUID_NULL) {}

  HRESULT CheckInputType(const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT CheckTransform(const AM_MEDIA_TYPE*, const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = InputPin()->CurrentMediaType();
    return S_OK;
  }
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 1;
    request->cbBuffer = 64;
    ALLOCATOR_PROPERTIES actual;
    return allocator->SetProperties(request, &actual);
  }
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    uint8_t *from, *to;
    input->GetPointer(&from);
    output->GetPointer(&to);
    std::copy_n(from, input->GetActualDataLength(), to);
    return output->SetActualDataLength(input->GetActualDataLength());
  }
};

FilterHarnessOptions PcmOptions(HarnessSink sink) {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(MakePcmFormat(8000, 1, 8));
  options.sourceBuffers = {2, 64, 1, 0};
  options.sink = sink;
  return options;
}

TEST(FilterHarness, DeliversBytesAndTimesAndReturnsTheSinksReplies) {
  FilterHarness harness(std::make_shared<CPassThrough>(), PcmOptions(HarnessSink::Recorder));
  ASSERT_EQ(harness.Connect(), S_OK);
  EXPECT_EQ(harness.File(), nullptr);
  ASSERT_EQ(harness.Run(), S_OK);

  harness.Sink().ReplyToNext(S_OK);
  harness.Sink().ReplyToNext(S_FALSE);
  EXPECT_EQ(harness.Send(Bytes{1, 2, 3}, SampleTimes{10, 13}), S_OK);
  EXPECT_EQ(harness.Send(Bytes{4}), S_FALSE);
  EXPECT_EQ(harness.Send(Bytes(65, 0)), VFW_E_BUFFER_OVERFLOW);
  EXPECT_EQ(harness.SendEndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_EQ(samples[0].bytes, (Bytes{1, 2, 3}));
  EXPECT_EQ(samples[0].times, (SampleTimes{10, 13}));
  EXPECT_EQ(samples[1].times, std::nullopt);
  EXPECT_EQ(samples[1].reply, S_FALSE);
  EXPECT_TRUE(harness.Sink().AtEndOfStream());
  EXPECT_EQ(harness.Stop(), S_OK);
  EXPECT_EQ(harness.Send(Bytes{5}), VFW_E_NOT_COMMITTED);
}

TEST(FilterHarness, FileSinkPlacesSamplesAtTheirStartAndTakesStreamWrites) {
  FilterHarness harness(std::make_shared<CPassThrough>(), PcmOptions(HarnessSink::File));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  EXPECT_EQ(harness.Send(Bytes{9, 9}, SampleTimes{4, 6}), S_OK);
  EXPECT_EQ(harness.Send(Bytes{8}), VFW_E_SAMPLE_TIME_NOT_SET);

  IStream* stream = harness.File();
  uint64_t position = 0;
  ASSERT_EQ(stream->Seek(1, STREAM_SEEK_SET, &position), S_OK);
  unsigned long written = 0;
  const uint8_t seven = 7;
  ASSERT_EQ(stream->Write(&seven, 1, &written), S_OK);
  EXPECT_EQ(harness.File()->FileBytes(), (Bytes{0, 7, 0, 0, 9, 9}));

  harness.File()->FailStreamWith(E_FAIL);
  EXPECT_EQ(stream->Write(&seven, 1, &written), E_FAIL);
}

}  // namespace
