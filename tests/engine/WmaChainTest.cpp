#include <gtest/gtest.h>

#include "engine/EngineTestEnvironment.h"
#include "engine/GraphHelpers.h"
#include "engine/Messages.h"
#include "engine/Recorder.h"
#include "platform/ui/MessageLoop.h"
#include "platform/wmf/AsfFileSummary.h"
#include "platform/wmf/ConfigAsfWriter.h"
#include "platform/wmf/WMStreamConfig.h"
#include "settings/ExportFormat.h"

namespace {

class WmaChainTest : public ::testing::Test {
 protected:
  WmaChainTest() : m_recorder(m_env.Settings()) {
    m_recorder.SetFile(m_env.Path("corvox_temp.audio").string(), &m_loop, WM_RECORDER_GRAPH_EVENT);
    m_recorder.SetExportFormat(kFormatWma);
    m_recorder.SetWmaChoice(0, 24, false);
  }

  std::shared_ptr<IBaseFilter> Find(const std::string& name) {
    std::shared_ptr<IBaseFilter> filter;
    m_recorder.Graph()->FindFilterByName(name, &filter);
    return filter;
  }

  // Pumps the notify window until the graph reports completion.
  bool WaitForCompletion() {
    MSG message;
    while (m_loop.GetMessage(message, std::chrono::seconds(20))) {
      auto* events = QueryInterface<IMediaEventEx>(m_recorder.Graph());
      long code;
      intptr_t p1, p2;
      while (events->GetEvent(&code, &p1, &p2, 0) == S_OK)
        if (code == EC_COMPLETE) return true;
    }
    return false;
  }

  EngineTestEnvironment m_env;
  MessageLoop m_loop;
  Recorder m_recorder;
};

TEST_F(WmaChainTest, TheTeeFeedsTheAsfWriterConfiguredWithTheStoredFormat) {
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build())) << GetErrorInfo();
  std::vector<std::string> names;
  for (const auto& filter : m_recorder.Graph()->Filters()) names.push_back(filter->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Audio Source", "Tee", "ASF Mux"}));
  IPin* output = nullptr;
  IPin* peer = nullptr;
  ASSERT_EQ(FindPin(Find("Tee").get(), PINDIR_OUTPUT, &output), S_OK);
  ASSERT_EQ(output->ConnectedTo(&peer), S_OK);
  EXPECT_EQ(peer->Filter(), Find("ASF Mux").get());

  std::shared_ptr<IWMProfile> profile;
  ASSERT_EQ(QueryInterface<IConfigAsfWriter>(Find("ASF Mux").get())->GetCurrentProfile(&profile), S_OK);
  std::shared_ptr<IWMStreamConfig> stream;
  ASSERT_EQ(profile->GetStream(0, &stream), S_OK);
  uint32_t bitrate = 0;
  stream->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, 128000u);
}

TEST_F(WmaChainTest, RecordsTheWholeInputIntoTheTemporaryFile) {
  m_env.UseInputFile("in.wav", 44100, 2, 44100 * 3);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build())) << GetErrorInfo();
  ASSERT_TRUE(SUCCEEDED(m_recorder.Run())) << GetErrorInfo();
  ASSERT_TRUE(WaitForCompletion());
  ASSERT_EQ(m_recorder.Stop(), S_OK) << GetErrorInfo();
  m_recorder.TearDown();

  AsfFileSummary summary;
  ASSERT_EQ(ReadAsfFileSummary(m_env.Path("corvox_temp.audio").string(), &summary), S_OK) << GetErrorInfo();
  EXPECT_EQ(summary.bitsPerSecond, 128000u);
  EXPECT_EQ(summary.rateHz, 44100u);
  EXPECT_GE(summary.seconds, 3.0);
}

TEST_F(WmaChainTest, ACodecPositionPastTheListFailsTheBuild) {
  m_recorder.SetWmaChoice(3, 24, false);
  EXPECT_EQ(m_recorder.Build(), E_INVALIDARG);
  EXPECT_NE(GetErrorInfo().find("not installed"), std::string::npos);
}

TEST_F(WmaChainTest, AFormatIndexPastTheListTakesTheMiddleFormat) {
  m_recorder.SetWmaChoice(0, 1000, false);
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build())) << GetErrorInfo();
  std::shared_ptr<IWMProfile> profile;
  QueryInterface<IConfigAsfWriter>(Find("ASF Mux").get())->GetCurrentProfile(&profile);
  std::shared_ptr<IWMStreamConfig> stream;
  ASSERT_EQ(profile->GetStream(0, &stream), S_OK);
  uint32_t bitrate = 0;
  stream->GetBitrate(&bitrate);
  EXPECT_EQ(bitrate, 80000u);  // format 17 of 34: 80 kbps at 32 kHz
}

}  // namespace
