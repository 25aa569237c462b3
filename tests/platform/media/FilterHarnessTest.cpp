#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/FilterHarness.h"
#include "support/PassThroughFilter.h"

namespace {

using Bytes = std::vector<uint8_t>;

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
