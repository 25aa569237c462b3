#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/media/ClassFactory.h"
#include "platform/media/FileSink.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/PinWalk.h"
#include "platform/ui/MessageLoop.h"
#include "support/FakeSinkPin.h"
#include "support/TestPushSource.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i % 251);
  return bytes;
}

// A renderer whose end of stream never comes back as EC_COMPLETE.
class CSilentSinkPin : public CFakeSinkPin {
 public:
  using CFakeSinkPin::CFakeSinkPin;
  HRESULT EndOfStream() override { return S_OK; }
};

// A renderer that cannot finish its work at stop.
class CFailingStopSink : public CFakeSinkFilter {
 public:
  HRESULT Stop() override {
    CFakeSinkFilter::Stop();
    SetErrorInfo("The sink could not finish its file.");
    return E_FAIL;
  }
};

// Upstream's first free output to downstream's first free input, through intelligent connect.
HRESULT Join(IGraphBuilder* graph, IBaseFilter* upstream, IBaseFilter* downstream) {
  IPin *output = nullptr, *input = nullptr;
  if (FindFirstPin(upstream, PINDIR_OUTPUT, PinConnection::Unconnected, &output) != S_OK ||
      FindFirstPin(downstream, PINDIR_INPUT, PinConnection::Unconnected, &input) != S_OK)
    return E_FAIL;
  return graph->Connect(output, input);
}

class FilterGraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("corvox-graph-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_dir);
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &m_graph), S_OK);
    m_control = QueryInterface<IMediaControl>(m_graph);
    m_events = QueryInterface<IMediaEventEx>(m_graph.get());
  }
  void TearDown() override {
    m_graph.reset();
    fs::remove_all(m_dir);
  }

  std::shared_ptr<IBaseFilter> AddWriter(const std::string& path, const std::string& name = "File Writer") {
    std::shared_ptr<IBaseFilter> writer;
    EXPECT_EQ(CoCreateInstance(CLSID_FileWriter, &writer), S_OK);
    EXPECT_EQ(QueryInterface<IFileSinkFilter2>(writer.get())->SetFileName(path, nullptr), S_OK);
    EXPECT_TRUE(SUCCEEDED(m_graph->AddFilter(writer, name)));
    return writer;
  }

  long NextEvent(long timeoutMs, intptr_t* param1 = nullptr) {
    long code = 0;
    intptr_t p1 = 0, p2 = 0;
    if (m_events->GetEvent(&code, &p1, &p2, timeoutMs) != S_OK) return 0;
    if (param1) *param1 = p1;
    return code;
  }

  fs::path m_dir;
  std::shared_ptr<IGraphBuilder> m_graph;
  std::shared_ptr<IMediaControl> m_control;
  IMediaEventEx* m_events = nullptr;
};

TEST_F(FilterGraphTest, TeeFeedsEveryBranchAndKeepsOneSparePin) {
  auto source = std::make_shared<TestPushSource>(5, 100);
  std::shared_ptr<IBaseFilter> tee;
  ASSERT_EQ(CoCreateInstance(CLSID_InfTee, &tee), S_OK);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  ASSERT_EQ(m_graph->AddFilter(tee, "Tee"), S_OK);
  auto a = AddWriter((m_dir / "a.bin").string(), "A");
  auto b = AddWriter((m_dir / "b.bin").string(), "B");
  ASSERT_EQ(Join(m_graph.get(), source.get(), tee.get()), S_OK);
  ASSERT_EQ(Join(m_graph.get(), tee.get(), a.get()), S_OK);
  ASSERT_EQ(Join(m_graph.get(), tee.get(), b.get()), S_OK);

  IPin* spare = nullptr;
  EXPECT_EQ(FindFirstPin(tee.get(), PINDIR_OUTPUT, PinConnection::Unconnected, &spare), S_OK);
  EXPECT_EQ(spare->Name(), "Output3");

  // With outputs connected, the tee takes no other input type.
  IPin* teeInput = nullptr;
  ASSERT_EQ(FindFirstPin(tee.get(), PINDIR_INPUT, PinConnection::Any, &teeInput), S_OK);
  AM_MEDIA_TYPE current;
  ASSERT_EQ(teeInput->ConnectionMediaType(&current), S_OK);
  EXPECT_EQ(teeInput->QueryAccept(&current), S_OK);
  const AM_MEDIA_TYPE other = MakeAudioMediaType(MakePcmFormat(22050, 1, 16));
  EXPECT_EQ(teeInput->QueryAccept(&other), S_FALSE);

  ASSERT_EQ(m_control->Run(), S_OK);
  EXPECT_EQ(NextEvent(5000), EC_COMPLETE);  // one event once both writers have finished
  EXPECT_EQ(NextEvent(0), 0);
  ASSERT_EQ(m_control->Stop(), S_OK);
  EXPECT_EQ(ReadFile(m_dir / "a.bin"), Pattern(500));
  EXPECT_EQ(ReadFile(m_dir / "b.bin"), Pattern(500));
}

TEST_F(FilterGraphTest, StoppingALiveSourceCompletesTheFileWithoutACompleteEvent) {
  auto source = std::make_shared<TestPushSource>(1 << 30, 64);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  auto writer = AddWriter((m_dir / "live.bin").string());
  ASSERT_EQ(Join(m_graph.get(), source.get(), writer.get()), S_OK);

  ASSERT_EQ(m_control->Run(), S_OK);
  while (source->Delivered() < 10) std::this_thread::yield();
  ASSERT_EQ(m_control->Stop(), S_OK);
  FILTER_STATE state;
  EXPECT_EQ(m_control->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
  EXPECT_EQ(NextEvent(0), 0);
  EXPECT_EQ(ReadFile(m_dir / "live.bin"), Pattern(static_cast<size_t>(source->Delivered()) * 64));
}

TEST_F(FilterGraphTest, PausedLiveSourceDeliversNothingUntilRunAgain) {
  auto source = std::make_shared<TestPushSource>(3, 16);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  auto writer = AddWriter((m_dir / "paused.bin").string());
  ASSERT_EQ(Join(m_graph.get(), source.get(), writer.get()), S_OK);
  ASSERT_EQ(m_control->Pause(), S_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(source->Delivered(), 0);
  ASSERT_EQ(m_control->Run(), S_OK);
  EXPECT_EQ(NextEvent(5000), EC_COMPLETE);
  EXPECT_EQ(source->Delivered(), 3);
}

TEST_F(FilterGraphTest, FailedWriteIsReportedAsErrorAbortAndRefusedUpstream) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  auto source = std::make_shared<TestPushSource>(1 << 30, 64);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  auto writer = AddWriter("/dev/full");
  ASSERT_EQ(Join(m_graph.get(), source.get(), writer.get()), S_OK);
  ASSERT_EQ(m_control->Run(), S_OK);
  intptr_t code = 0;
  EXPECT_EQ(NextEvent(5000, &code), EC_ERRORABORT);
  EXPECT_EQ(code, HResultFromErrno(ENOSPC));
  EXPECT_EQ(DescribeResult(static_cast<HRESULT>(code)), "The disk is full.");
  // The writer's text was set on the source's thread; the event brought it here.
  EXPECT_NE(GetErrorInfo().find("/dev/full"), std::string::npos) << GetErrorInfo();
  ASSERT_EQ(m_control->Stop(), S_OK);
  EXPECT_EQ(source->LastDeliveryResult(), HResultFromErrno(ENOSPC));
  EXPECT_EQ(source->Delivered(), 0);
}

TEST_F(FilterGraphTest, FailureEventsCarryTheReportingThreadsTextToTheReader) {
  auto* sink = QueryInterface<IMediaEventSink>(m_graph.get());
  ASSERT_NE(sink, nullptr);
  std::thread reporter([&] {
    SetErrorInfo("The device was unplugged.");
    sink->Notify(EC_ERRORABORT, E_FAIL, 0);
    sink->Notify(EC_ERRORABORT, E_ABORT, 0);  // only the first of a run is kept
    sink->Notify(EC_USERABORT, S_OK, 0);      // no failure, no text
  });
  reporter.join();
  SetErrorInfo("a text of the reader's own");
  intptr_t code = 0;
  EXPECT_EQ(NextEvent(0, &code), EC_ERRORABORT);
  EXPECT_EQ(code, E_FAIL);
  EXPECT_EQ(GetErrorInfo(), "The device was unplugged.");
  EXPECT_EQ(NextEvent(0), EC_USERABORT);
  EXPECT_EQ(GetErrorInfo(), "");
  EXPECT_EQ(NextEvent(0), 0);
}

TEST_F(FilterGraphTest, UnwritableOutputFailsRunAndLeavesTheGraphStopped) {
  auto source = std::make_shared<TestPushSource>(1, 16);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  auto writer = AddWriter((m_dir / "missing-folder" / "x.bin").string());
  ASSERT_EQ(Join(m_graph.get(), source.get(), writer.get()), S_OK);
  EXPECT_TRUE(FAILED(m_control->Run()));
  EXPECT_NE(GetErrorInfo().find("missing-folder"), std::string::npos);
  FILTER_STATE state;
  m_control->GetState(0, &state);
  EXPECT_EQ(state, State_Stopped);
}

TEST_F(FilterGraphTest, EventsArePostedToTheNotifyWindowWithTheInstance) {
  MessageLoop loop;
  m_events->SetNotifyWindow(&loop, 1632, 77);
  auto source = std::make_shared<TestPushSource>(1, 16);
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  auto writer = AddWriter((m_dir / "n.bin").string());
  ASSERT_EQ(Join(m_graph.get(), source.get(), writer.get()), S_OK);
  ASSERT_EQ(m_control->Run(), S_OK);
  MSG message;
  ASSERT_TRUE(loop.GetMessage(message, std::chrono::seconds(5)));
  EXPECT_EQ(message.message, 1632u);
  EXPECT_EQ(message.lParam, 77);
  EXPECT_EQ(NextEvent(0), EC_COMPLETE);
}

TEST_F(FilterGraphTest, EndOfStreamThatNeverReachesARendererFailsStopWithATimeOut) {
  auto source = std::make_shared<TestPushSource>(1 << 30, 64);
  auto sink = std::make_shared<CSinglePinFilter<CSilentSinkPin>>();
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  ASSERT_EQ(m_graph->AddFilter(sink, "Silent"), S_OK);
  ASSERT_EQ(Join(m_graph.get(), source.get(), sink.get()), S_OK);
  ASSERT_EQ(m_control->Run(), S_OK);
  EXPECT_EQ(m_control->Stop(), VFW_E_TIMEOUT);
  EXPECT_NE(GetErrorInfo().find("did not reach every renderer"), std::string::npos) << GetErrorInfo();
  FILTER_STATE state;
  EXPECT_EQ(m_control->GetState(0, &state), S_OK);
  EXPECT_EQ(state, State_Stopped);
}

TEST_F(FilterGraphTest, StopReturnsAFilterFailureWithItsTextAndAGoodStopClearsIt) {
  auto source = std::make_shared<TestPushSource>(1 << 30, 64);
  auto sink = std::make_shared<CFailingStopSink>();
  ASSERT_EQ(m_graph->AddFilter(source, "Source"), S_OK);
  ASSERT_EQ(m_graph->AddFilter(sink, "Failing"), S_OK);
  ASSERT_EQ(Join(m_graph.get(), source.get(), sink.get()), S_OK);
  ASSERT_EQ(m_control->Run(), S_OK);
  while (source->Delivered() < 2) std::this_thread::yield();
  EXPECT_EQ(m_control->Stop(), E_FAIL);
  EXPECT_EQ(GetErrorInfo(), "The sink could not finish its file.");

  m_graph->RemoveFilter(sink.get());
  auto good = std::make_shared<CFakeSinkFilter>();
  ASSERT_EQ(m_graph->AddFilter(good, "Good"), S_OK);
  ASSERT_EQ(Join(m_graph.get(), source.get(), good.get()), S_OK);
  ASSERT_EQ(m_control->Run(), S_OK);
  EXPECT_EQ(m_control->Stop(), S_OK);
  EXPECT_EQ(GetErrorInfo(), "");
}

TEST_F(FilterGraphTest, DuplicateNamesGetASuffix) {
  std::shared_ptr<IBaseFilter> first, second;
  ASSERT_EQ(CoCreateInstance(CLSID_InfTee, &first), S_OK);
  ASSERT_EQ(CoCreateInstance(CLSID_InfTee, &second), S_OK);
  EXPECT_EQ(m_graph->AddFilter(first, "Tee"), S_OK);
  EXPECT_EQ(m_graph->AddFilter(second, "Tee"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(second->Name(), "Tee 0001");
  EXPECT_EQ(m_graph->AddFilter(first, "Again"), E_INVALIDARG);
}

}  // namespace
