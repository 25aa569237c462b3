#include "platform/media/TransformFilter.h"

#include <gtest/gtest.h>

#include "support/FilterHarness.h"

namespace {

// Copies samples through; counts its streaming hooks and can be told to size its output
// buffers wrongly.
class CountingTransform : public CTransformFilter {
 public:
  CountingTransform() : CTransformFilter(GUID_NULL) {}

  HRESULT CheckInputType(const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT CheckTransform(const AM_MEDIA_TYPE*, const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = InputPin()->CurrentMediaType();
    return S_OK;
  }
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 1;
    request->cbBuffer = zeroSizedBuffers ? 0 : 64 * 1024;
    ALLOCATOR_PROPERTIES actual;
    return allocator->SetProperties(request, &actual);
  }
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    uint8_t *from = nullptr, *to = nullptr;
    input->GetPointer(&from);
    output->GetPointer(&to);
    std::copy_n(from, input->GetActualDataLength(), to);
    return output->SetActualDataLength(input->GetActualDataLength());
  }
  HRESULT StartStreaming() override {
    ++started;
    return S_OK;
  }
  HRESULT StopStreaming() override {
    ++stopped;
    return S_OK;
  }

  bool zeroSizedBuffers = false;
  int started = 0;
  int stopped = 0;
};

FilterHarnessOptions PcmOptions() {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(MakePcmFormat(8000, 1, 16));
  options.sink = HarnessSink::Recorder;
  return options;
}

TEST(TransformFilter, CopiesSamplesWithTheirTimesAndPairsStartWithStop) {
  auto filter = std::make_shared<CountingTransform>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const std::vector<uint8_t> bytes{1, 2, 3, 4};
  ASSERT_EQ(harness.Send(bytes, SampleTimes{100, 200}), S_OK);
  ASSERT_EQ(harness.SendEndOfStream(), S_OK);
  EXPECT_TRUE(harness.Sink().AtEndOfStream());
  ASSERT_EQ(harness.Stop(), S_OK);
  ASSERT_EQ(harness.Sink().Samples().size(), 1u);
  EXPECT_EQ(harness.Sink().Samples()[0].bytes, bytes);
  EXPECT_EQ(harness.Sink().Samples()[0].times, (SampleTimes{100, 200}));
  EXPECT_EQ(filter->started, 1);
  EXPECT_EQ(filter->stopped, 1);
}

TEST(TransformFilter, AFailedPauseUndoesStartStreamingAndStaysStopped) {
  auto filter = std::make_shared<CountingTransform>();
  filter->zeroSizedBuffers = true;
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  EXPECT_EQ(filter->Pause(), VFW_E_SIZENOTSET);
  EXPECT_TRUE(filter->IsStopped());
  EXPECT_EQ(filter->started, 1);
  EXPECT_EQ(filter->stopped, 1);
}

}  // namespace
