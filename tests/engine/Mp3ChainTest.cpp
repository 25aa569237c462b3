#include <gtest/gtest.h>

#include "engine/EngineTestEnvironment.h"
#include "engine/GraphHelpers.h"
#include "engine/Messages.h"
#include "engine/Mp3SettingsPush.h"
#include "engine/Recorder.h"
#include "filters/MP3EncFilter.h"
#include "platform/ui/MessageLoop.h"
#include "settings/ExportFormat.h"

namespace {

// Logs every setter the push uses, in order, and can fail one of them.
class CLoggingMp3Filter : public CMP3EncFilter {
 public:
  std::vector<std::string> calls;
  std::string failing;

#define LOGGED_SETTER(Name)                                            \
  HRESULT Name(int32_t value) override {                               \
    calls.push_back(std::string(#Name) + " " + std::to_string(value)); \
    CMP3EncFilter::Name(value);                                        \
    return failing == #Name ? E_FAIL : S_OK;                           \
  }
  LOGGED_SETTER(SetBitrate)
  LOGGED_SETTER(SetCopyright)
  LOGGED_SETTER(SetCrc)
  LOGGED_SETTER(SetOriginal)
  LOGGED_SETTER(SetEncodeQuality)
  LOGGED_SETTER(SetOutputSampleRate)
  LOGGED_SETTER(SetVbrEnabled)
  LOGGED_SETTER(SetVbrMaxBitrate)
  LOGGED_SETTER(SetVbrMinBitrate)
  LOGGED_SETTER(SetVbrQuality)
  LOGGED_SETTER(SetChannelMode)
#undef LOGGED_SETTER
};

Mp3Configuration UnusualConfiguration() {
  Mp3Configuration c;
  c.cbrBitrateKbps = 192;
  c.vbrMinBitrateKbps = 320;
  c.vbrMaxBitrateKbps = 32;
  c.vbrQuality = 7;
  c.outputSampleRateHz = 32000;
  c.encodingQuality = 2;
  c.channels = 1;
  c.copyright = 1;
  c.crc = 5;
  c.original = 0;
  c.cbr = 0;
  return c;
}

TEST(Mp3SettingsPush, SetsEveryValueInItsOrder) {
  CLoggingMp3Filter filter;
  filter.calls.clear();
  ASSERT_EQ(PushMp3Settings(&filter, UnusualConfiguration()), S_OK);
  EXPECT_EQ(filter.calls, (std::vector<std::string>{"SetBitrate 192", "SetCopyright 1", "SetCrc 1", "SetOriginal 0",
                                                    "SetEncodeQuality 2", "SetOutputSampleRate 32000",
                                                    "SetVbrEnabled 1", "SetVbrMaxBitrate 32", "SetVbrMinBitrate 320",
                                                    "SetVbrQuality 7", "SetChannelMode 3"}));
  Mp3Configuration stereoCbr;
  filter.calls.clear();
  ASSERT_EQ(PushMp3Settings(&filter, stereoCbr), S_OK);
  EXPECT_EQ(filter.calls[6], "SetVbrEnabled 0");
  EXPECT_EQ(filter.calls[10], "SetChannelMode 0");
}

TEST(Mp3SettingsPush, AFailingSetterFailsThePushButTheRestAreStillSet) {
  CLoggingMp3Filter filter;
  filter.failing = "SetCrc";
  EXPECT_TRUE(FAILED(PushMp3Settings(&filter, UnusualConfiguration())));
  EXPECT_EQ(filter.calls.size(), 11u);
  EXPECT_EQ(PushMp3Settings(nullptr, UnusualConfiguration()), E_POINTER);
}

class Mp3ChainTest : public ::testing::Test {
 protected:
  Mp3ChainTest() : m_recorder(m_env.Settings()) {
    m_recorder.SetFile(m_env.Path("corvox_temp.audio").string(), &m_loop, WM_RECORDER_GRAPH_EVENT);
    m_recorder.SetExportFormat(kFormatMp3);
  }

  std::shared_ptr<IBaseFilter> Find(const std::string& name) {
    std::shared_ptr<IBaseFilter> filter;
    m_recorder.Graph()->FindFilterByName(name, &filter);
    return filter;
  }

  IBaseFilter* Downstream(const std::string& name) {
    IPin* output = nullptr;
    IPin* peer = nullptr;
    if (FindPin(Find(name).get(), PINDIR_OUTPUT, &output) != S_OK || FAILED(output->ConnectedTo(&peer))) return nullptr;
    return peer->Filter();
  }

  EngineTestEnvironment m_env;
  MessageLoop m_loop;
  Recorder m_recorder;
};

TEST_F(Mp3ChainTest, EncoderSitsBetweenTeeAndWavWriterWithTheStoredSettings) {
  m_env.Settings().SetMp3Configuration(UnusualConfiguration());
  ASSERT_TRUE(SUCCEEDED(m_recorder.Build())) << GetErrorInfo();
  std::vector<std::string> names;
  for (const auto& filter : m_recorder.Graph()->Filters()) names.push_back(filter->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Audio Source", "Tee", "MP3 Compressor", "WAVE Writer", "File Writer"}));
  EXPECT_EQ(Downstream("Tee"), Find("MP3 Compressor").get());
  EXPECT_EQ(Downstream("MP3 Compressor"), Find("WAVE Writer").get());

  auto* encoder = QueryInterface<IMP3AudioEncProperties>(Find("MP3 Compressor").get());
  ASSERT_NE(encoder, nullptr);
  int32_t value = 0;
  encoder->GetBitrate(&value);
  EXPECT_EQ(value, 192);
  encoder->GetChannelMode(&value);
  EXPECT_EQ(value, 3);
  encoder->GetVbrEnabled(&value);
  EXPECT_EQ(value, 1);
  encoder->GetOutputSampleRate(&value);
  EXPECT_EQ(value, 32000);
}

}  // namespace
