#include <gtest/gtest.h>

#include "platform/media/TransformFilter.h"
#include "support/FilterHarness.h"
#include "support/PassThroughFilter.h"

namespace {

// Counts the streaming hooks of a pass-through; zero-sized output buffers make Pause fail.
class CountingTransform : public CPassThrough {
 public:
  explicit CountingTransform(long bufferBytes = 64 * 1024) : CPassThrough(bufferBytes) {}

  HRESULT StartStreaming() override {
    ++started;
    return S_OK;
  }
  HRESULT StopStreaming() override {
    ++stopped;
    return S_OK;
  }

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
  auto filter = std::make_shared<CountingTransform>(0);
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  EXPECT_EQ(filter->Pause(), VFW_E_SIZENOTSET);
  EXPECT_TRUE(filter->IsStopped());
  EXPECT_EQ(filter->started, 1);
  EXPECT_EQ(filter->stopped, 1);
}

}  // namespace
