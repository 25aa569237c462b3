#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

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

constexpr long kSourceBufferBytes = 64;

FilterHarnessOptions PcmOptions() {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(MakePcmFormat(8000, 1, 16));
  options.sourceBuffers = {4, kSourceBufferBytes, 1, 0};
  options.sink = HarnessSink::Recorder;
  return options;
}

std::vector<uint8_t> Bytes(size_t count, uint8_t first = 0) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

HRESULT ReceiveDirectly(IPin* input, std::vector<uint8_t> bytes) {
  CMediaSample sample(bytes.data(), static_cast<long>(bytes.size()));
  return QueryInterface<IMemInputPin>(input)->Receive(&sample);
}

ALLOCATOR_PROPERTIES PropertiesOf(IMemAllocator* allocator) {
  ALLOCATOR_PROPERTIES properties;
  allocator->GetProperties(&properties);
  return properties;
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

// ---- Pins ----

class NamedOutputPin : public CTransformOutputPin {
 public:
  using CTransformOutputPin::CTransformOutputPin;
};

class CustomPinTransform : public CPassThrough {
 public:
  explicit CustomPinTransform(bool outputFails) : CPassThrough(std::nullopt, "In", "Out"), m_outputFails(outputFails) {}
  std::unique_ptr<CTransformOutputPin> MakeOutputPin(const std::string& name) override {
    if (m_outputFails) return nullptr;
    return std::make_unique<NamedOutputPin>(name, this, nullptr);
  }

 private:
  const bool m_outputFails;
};

TEST(TransformFilterPins, DefaultPinsAreMadeOnFirstRequestWithTheFrameworkNames) {
  CPassThrough filter;
  EXPECT_EQ(filter.InputPin(), nullptr);
  ASSERT_EQ(filter.GetPinCount(), 2);
  ASSERT_NE(filter.GetPin(1), nullptr);
  EXPECT_EQ(filter.GetPin(0)->Name(), "XForm In");
  EXPECT_EQ(filter.GetPin(1)->Name(), "XForm Out");
  EXPECT_EQ(filter.GetPin(0), filter.InputPin());
  EXPECT_EQ(filter.GetPin(2), nullptr);
}

TEST(TransformFilterPins, ADerivedFilterNamesItsPinsAndChoosesTheOutputPinClass) {
  CustomPinTransform filter(false);
  ASSERT_EQ(filter.CreatePins(), S_OK);
  EXPECT_EQ(filter.InputPin()->Name(), "In");
  EXPECT_EQ(filter.OutputPin()->Name(), "Out");
  EXPECT_NE(dynamic_cast<NamedOutputPin*>(filter.OutputPin()), nullptr);
}

TEST(TransformFilterPins, APinThatCannotBeMadeLeavesNeitherPin) {
  CustomPinTransform filter(true);
  EXPECT_EQ(filter.CreatePins(), E_OUTOFMEMORY);
  EXPECT_EQ(filter.GetPin(0), nullptr);
  EXPECT_EQ(filter.InputPin(), nullptr);
}

// ---- Negotiation ----

// Doubles every byte, so its output buffers must be twice the input's.
class DoublingTransform : public CPassThrough {
 public:
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 2;
    request->cbBuffer = 2 * input.cbBuffer;
    request->cbAlign = 1;
    return S_OK;
  }
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    uint8_t *from = nullptr, *to = nullptr;
    input->GetPointer(&from);
    output->GetPointer(&to);
    const long length = input->GetActualDataLength();
    for (long i = 0; i < length; ++i) to[2 * i] = to[2 * i + 1] = from[i];
    return output->SetActualDataLength(2 * length);
  }
};

// Grants at most `maxBytes` per buffer, or fails outright with `failure`.
class StingyAllocator : public CMemAllocator {
 public:
  explicit StingyAllocator(long maxBytes, HRESULT failure = S_OK) : m_maxBytes(maxBytes), m_failure(failure) {}
  HRESULT SetProperties(const ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override {
    if (FAILED(m_failure)) return m_failure;
    ALLOCATOR_PROPERTIES granted = *request;
    granted.cbBuffer = std::min(granted.cbBuffer, m_maxBytes);
    return CMemAllocator::SetProperties(&granted, actual);
  }

 private:
  const long m_maxBytes;
  const HRESULT m_failure;
};

class PickyTransform : public CPassThrough {
 public:
  HRESULT ShortAllocatorResult() const override { return E_INVALIDARG; }
};

TEST(TransformFilterNegotiation, TheDefaultOutputBufferIsOneInputBuffer) {
  auto filter = std::make_shared<CPassThrough>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  const ALLOCATOR_PROPERTIES output = PropertiesOf(filter->OutputPin()->Allocator());
  EXPECT_EQ(output.cBuffers, 1);
  EXPECT_EQ(output.cbBuffer, kSourceBufferBytes);
  EXPECT_EQ(output.cbAlign, 1);
}

TEST(TransformFilterNegotiation, ASizeChangingTransformGetsTheOutputSizeItAskedFor) {
  auto filter = std::make_shared<DoublingTransform>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  const ALLOCATOR_PROPERTIES output = PropertiesOf(filter->OutputPin()->Allocator());
  EXPECT_EQ(output.cBuffers, 2);
  EXPECT_EQ(output.cbBuffer, 2 * kSourceBufferBytes);

  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_EQ(harness.Send(Bytes(kSourceBufferBytes)), S_OK);
  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 1u);
  ASSERT_EQ(samples[0].bytes.size(), static_cast<size_t>(2 * kSourceBufferBytes));
  EXPECT_EQ(samples[0].bytes[2 * 63], 63);
  EXPECT_EQ(samples[0].bytes[2 * 63 + 1], 63);
}

TEST(TransformFilterNegotiation, AnAllocatorGrantingLessFailsWithTheFiltersCode) {
  auto plain = std::make_shared<CPassThrough>();
  auto picky = std::make_shared<PickyTransform>();
  FilterHarness first(plain, PcmOptions());
  FilterHarness second(picky, PcmOptions());
  ASSERT_EQ(first.Connect(), S_OK);
  ASSERT_EQ(second.Connect(), S_OK);

  StingyAllocator stingy(kSourceBufferBytes - 1);
  ALLOCATOR_PROPERTIES request;
  EXPECT_EQ(plain->DecideBufferSize(&stingy, &request), E_FAIL);
  EXPECT_EQ(picky->DecideBufferSize(&stingy, &request), E_INVALIDARG);
  StingyAllocator broken(kSourceBufferBytes, E_OUTOFMEMORY);
  EXPECT_EQ(picky->DecideBufferSize(&broken, &request), E_OUTOFMEMORY);
  StingyAllocator enough(kSourceBufferBytes);
  EXPECT_EQ(picky->DecideBufferSize(&enough, &request), S_OK);
  EXPECT_EQ(picky->DecideBufferSize(nullptr, &request), E_POINTER);
}

TEST(TransformFilterNegotiation, NothingIsDecidedOrOfferedBeforeTheInputConnects) {
  CPassThrough filter;
  ASSERT_EQ(filter.CreatePins(), S_OK);
  CMemAllocator allocator;
  ALLOCATOR_PROPERTIES request;
  EXPECT_EQ(filter.DecideBufferSize(&allocator, &request), E_UNEXPECTED);
  AM_MEDIA_TYPE type;
  EXPECT_EQ(filter.OutputPin()->GetMediaType(0, &type), E_UNEXPECTED);
  EXPECT_EQ(ReceiveDirectly(filter.InputPin(), Bytes(4)), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(filter.transformed.load(), 0);
}

// ---- Streaming states ----

TEST(TransformFilterStreaming, ASampleIsRefusedWhileStoppedFlushingOrAfterEndOfStream) {
  auto filter = std::make_shared<CPassThrough>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  EXPECT_EQ(ReceiveDirectly(harness.FilterInput(), Bytes(4)), VFW_E_WRONG_STATE);

  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_EQ(harness.FilterInput()->BeginFlush(), S_OK);
  EXPECT_EQ(harness.Send(Bytes(4)), S_FALSE);
  ASSERT_EQ(harness.FilterInput()->EndFlush(), S_OK);
  EXPECT_EQ(harness.Send(Bytes(4)), S_OK);

  ASSERT_EQ(harness.SendEndOfStream(), S_OK);
  EXPECT_EQ(harness.Send(Bytes(4)), VFW_E_SAMPLE_REJECTED_EOS);
  EXPECT_EQ(filter->transformed.load(), 1);
  EXPECT_EQ(harness.Sink().Samples().size(), 1u);
}

// Drops samples whose first byte is zero.
class DroppingTransform : public CPassThrough {
 public:
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    uint8_t* from = nullptr;
    input->GetPointer(&from);
    if (from[0] == 0) return S_FALSE;
    return CPassThrough::Transform(input, output);
  }
};

TEST(TransformFilterStreaming, ASampleDroppedWithSFalseIsNotDeliveredAndTheStreamGoesOn) {
  auto filter = std::make_shared<DroppingTransform>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  EXPECT_EQ(harness.Send(Bytes(4, 0)), S_OK);
  EXPECT_EQ(harness.Send(Bytes(4, 1)), S_OK);
  const std::vector<ReceivedSample> samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].bytes, Bytes(4, 1));
}

// Signals when a Receive has begun, just before it asks for an output buffer.
class SignallingTransform : public CPassThrough {
 public:
  HRESULT Receive(IMediaSample* sample) override {
    entered.set_value();
    return CPassThrough::Receive(sample);
  }
  std::promise<void> entered;
};

TEST(TransformFilterStreaming, StopReleasesAReceiveBlockedOnTheAllocator) {
  auto filter = std::make_shared<SignallingTransform>();
  FilterHarness harness(filter, PcmOptions());
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  // The sink keeps the only output buffer, as a renderer holding its queue would.
  SamplePtr held;
  ASSERT_EQ(harness.Sink().Allocator()->GetBuffer(&held, nullptr, nullptr, 0), S_OK);

  std::future<HRESULT> sent = std::async(std::launch::async, [&] { return harness.Send(Bytes(4)); });
  filter->entered.get_future().wait();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::future<HRESULT> stopped = std::async(std::launch::async, [&] { return filter->Stop(); });
  const bool stoppedInTime = stopped.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  held.reset();  // unblocks a deadlocked Stop so the test can end
  EXPECT_TRUE(stoppedInTime);
  EXPECT_EQ(stopped.get(), S_OK);
  EXPECT_TRUE(FAILED(sent.get()));
  EXPECT_EQ(filter->transformed.load(), 0);
}

// ---- Output batching ----

// An encoder stand-in: queues each input sample's bytes with its times into output buffers of
// `bufferBytes`; the base delivers what is left at end of stream.
class QueueingTransform : public CPassThrough {
 public:
  explicit QueueingTransform(long bufferBytes) : m_bufferBytes(bufferBytes) {}

  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES&, ALLOCATOR_PROPERTIES* request) override {
    *request = {1, m_bufferBytes, 1, 0};
    return S_OK;
  }
  HRESULT Receive(IMediaSample* sample) override {
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    REFERENCE_TIME start = 0, end = 0;
    sample->GetTime(&start, &end);
    return QueueOutput({data, static_cast<size_t>(sample->GetActualDataLength())}, start, end);
  }

 private:
  const long m_bufferBytes;
};

class TransformFilterBatching : public ::testing::Test {
 protected:
  explicit TransformFilterBatching(long bufferBytes = 10)
      : m_filter(std::make_shared<QueueingTransform>(bufferBytes)), m_harness(m_filter, PcmOptions()) {}

  void SetUp() override {
    ASSERT_EQ(m_harness.Connect(), S_OK);
    ASSERT_EQ(m_harness.Run(), S_OK);
  }

  std::vector<ReceivedSample> Samples() { return m_harness.Sink().Samples(); }

  // Every batched sample is a sync point.
  static void ExpectSample(const ReceivedSample& sample, const std::vector<uint8_t>& bytes, SampleTimes times) {
    EXPECT_EQ(sample.bytes, bytes);
    EXPECT_EQ(sample.times, times);
    EXPECT_TRUE(sample.syncPoint);
  }

  std::shared_ptr<QueueingTransform> m_filter;
  FilterHarness m_harness;
};

TEST_F(TransformFilterBatching, PacketsFillABufferAndOneThatDoesNotFitStartsTheNext) {
  ASSERT_EQ(m_harness.Send(Bytes(4, 0), SampleTimes{0, 40}), S_OK);
  ASSERT_EQ(m_harness.Send(Bytes(4, 4), SampleTimes{40, 80}), S_OK);
  EXPECT_TRUE(Samples().empty());
  ASSERT_EQ(m_harness.Send(Bytes(4, 8), SampleTimes{80, 120}), S_OK);
  ASSERT_EQ(m_harness.SendEndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = Samples();
  ASSERT_EQ(samples.size(), 2u);
  ExpectSample(samples[0], Bytes(8, 0), {0, 80});
  ExpectSample(samples[1], Bytes(4, 8), {80, 120});
  EXPECT_TRUE(m_harness.Sink().AtEndOfStream());
}

TEST_F(TransformFilterBatching, APacketLargerThanABufferIsSplitWithProportionalTimes) {
  ASSERT_EQ(m_harness.Send(Bytes(3, 100), SampleTimes{0, 30}), S_OK);
  ASSERT_EQ(m_harness.Send(Bytes(25, 0), SampleTimes{1000, 1100}), S_OK);
  ASSERT_EQ(m_harness.SendEndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = Samples();
  ASSERT_EQ(samples.size(), 4u);
  ExpectSample(samples[0], Bytes(3, 100), {0, 30});
  ExpectSample(samples[1], Bytes(10, 0), {1000, 1040});
  ExpectSample(samples[2], Bytes(10, 10), {1040, 1080});
  ExpectSample(samples[3], Bytes(5, 20), {1080, 1100});
}

TEST_F(TransformFilterBatching, ARefusedDeliveryStopsTheQueueingAndIsReturned) {
  m_harness.Sink().ReplyToNext(S_FALSE);
  EXPECT_EQ(m_harness.Send(Bytes(25, 0), SampleTimes{0, 250}), S_FALSE);
  ASSERT_EQ(m_harness.SendEndOfStream(), S_OK);
  const std::vector<ReceivedSample> samples = Samples();
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].reply, S_FALSE);
}

TEST_F(TransformFilterBatching, AFlushDiscardsWhatWasQueuedBeforeIt) {
  ASSERT_EQ(m_harness.Send(Bytes(4, 0), SampleTimes{0, 40}), S_OK);
  ASSERT_EQ(m_harness.FilterInput()->BeginFlush(), S_OK);
  ASSERT_EQ(m_harness.FilterInput()->EndFlush(), S_OK);
  ASSERT_EQ(m_harness.Send(Bytes(3, 50), SampleTimes{500, 530}), S_OK);
  ASSERT_EQ(m_harness.SendEndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = Samples();
  ASSERT_EQ(samples.size(), 1u);
  ExpectSample(samples[0], Bytes(3, 50), {500, 530});
}

TEST_F(TransformFilterBatching, StopDiscardsWhatWasQueued) {
  ASSERT_EQ(m_harness.Send(Bytes(4, 0), SampleTimes{0, 40}), S_OK);
  ASSERT_EQ(m_harness.Stop(), S_OK);
  ASSERT_EQ(m_harness.Run(), S_OK);
  ASSERT_EQ(m_harness.Send(Bytes(2, 9), SampleTimes{0, 20}), S_OK);
  ASSERT_EQ(m_harness.SendEndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = Samples();
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].bytes, Bytes(2, 9));
}

}  // namespace
