#include <gtest/gtest.h>

#include "engine/CaptureSource.h"
#include "engine/EngineTestEnvironment.h"
#include "engine/FilterCategoryEnumerator.h"
#include "engine/GraphHelpers.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/InfTee.h"
#include "platform/media/StreamConfig.h"
#include "settings/ExportFormat.h"

namespace {

WAVEFORMATEX PinFormat(IBaseFilter* filter) {
  IPin* pin = nullptr;
  EXPECT_EQ(FindPin(filter, PINDIR_OUTPUT, &pin), S_OK);
  AM_MEDIA_TYPE type;
  EXPECT_EQ(QueryInterface<IAMStreamConfig>(pin)->GetFormat(&type), S_OK);
  return WaveFormatOf(type).value_or(WAVEFORMATEX{});
}

long SuggestedBuffer(IBaseFilter* filter) {
  IPin* pin = nullptr;
  EXPECT_EQ(FindPin(filter, PINDIR_OUTPUT, &pin), S_OK);
  ALLOCATOR_PROPERTIES properties;
  EXPECT_EQ(QueryInterface<IAMBufferNegotiation>(pin)->GetAllocatorProperties(&properties), S_OK);
  return properties.cbBuffer;
}

class CaptureSourceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &m_graph), S_OK); }

  std::shared_ptr<IBaseFilter> AddSource(int exportFormat, HRESULT expected = S_OK) {
    std::shared_ptr<IBaseFilter> source;
    EXPECT_EQ(AddCaptureSource(m_graph.get(), m_env.Settings(), exportFormat, &source), expected);
    return source;
  }

  EngineTestEnvironment m_env;
  std::shared_ptr<IGraphBuilder> m_graph;
};

TEST_F(CaptureSourceTest, StoredDeviceFormatReachesTheCapturePin) {
  m_env.Settings().SetDeviceSettings(0, DeviceSettings{22050, 1, 16, 500});
  auto source = AddSource(kFormatWav);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Name(), "Audio Source");
  const WAVEFORMATEX format = PinFormat(source.get());
  EXPECT_EQ(format.nChannels, 1);
  EXPECT_EQ(format.nSamplesPerSec, 22050u);
  EXPECT_EQ(format.nBlockAlign, 2);
  EXPECT_EQ(format.nAvgBytesPerSec, 44100u);
}

TEST_F(CaptureSourceTest, OggAlwaysCapturesSixteenBitsOtherFormatsTheStoredSize) {
  m_env.Settings().SetDeviceSettings(0, DeviceSettings{44100, 2, 8, 500});
  EXPECT_EQ(PinFormat(AddSource(kFormatOgg).get()).wBitsPerSample, 16);
  SetUp();
  EXPECT_EQ(PinFormat(AddSource(kFormatWav).get()).wBitsPerSample, 8);
}

TEST_F(CaptureSourceTest, LatencyScalesTheHalfSecondBuffer) {
  auto source = AddSource(kFormatWav);
  EXPECT_EQ(SuggestedBuffer(source.get()), 88200);
  EXPECT_EQ(ApplyLatency(source.get(), m_env.Settings()), S_OK);
  EXPECT_EQ(SuggestedBuffer(source.get()), 88200);

  m_env.Settings().SetDeviceSettings(0, DeviceSettings{44100, 2, 16, 100});
  source = AddSource(kFormatWav);
  EXPECT_EQ(ApplyLatency(source.get(), m_env.Settings()), S_OK);
  EXPECT_EQ(SuggestedBuffer(source.get()), 17640);
}

TEST_F(CaptureSourceTest, DevicePositionPastTheListFailsInAnOrderlyWay) {
  m_env.Settings().SetCurrentDevice(3);
  EXPECT_FALSE(AddSource(kFormatWav, E_UNEXPECTED));
  EXPECT_NE(GetErrorInfo().find("number 3"), std::string::npos);
  EXPECT_TRUE(m_graph->Filters().empty());
}

TEST_F(CaptureSourceTest, FiltersWithoutStreamConfigAreRefused) {
  auto tee = std::make_shared<CInfTee>();
  EXPECT_EQ(ApplyStreamFormat(tee.get(), m_env.Settings(), kFormatWav), E_UNEXPECTED);
  EXPECT_EQ(ApplyLatency(tee.get(), m_env.Settings()), E_UNEXPECTED);
}

// Devices described by a provider of our own, so names and binding can be pinned down.
class DeviceNamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_first = std::make_shared<CInfTee>();
    m_second = std::make_shared<CInfTee>();
    auto bindTo = [](std::shared_ptr<IBaseFilter> filter) {
      return [filter](std::shared_ptr<IBaseFilter>* out) {
        *out = filter;
        return S_OK;
      };
    };
    std::vector<DeviceEntry> entries = {
        {{{"FriendlyName", "hw:Only"}}, bindTo(m_second)},
        {{{"Description", "Twin"}, {"FriendlyName", "hw:A"}}, bindTo(m_first)},
        {{{"Description", "Twin"}, {"FriendlyName", "hw:B"}}, bindTo(m_second)},
        {{}, [](std::shared_ptr<IBaseFilter>*) { return E_FAIL; }},
        {{{"Description", "Broken"}}, [](std::shared_ptr<IBaseFilter>*) { return E_FAIL; }},
    };
    RegisterDeviceCategory(CLSID_AudioInputDeviceCategory, [entries] { return entries; });
  }
  void TearDown() override { SelectAudioBackend("virtual"); }

  std::shared_ptr<IBaseFilter> m_first, m_second;
};

TEST_F(DeviceNamingTest, NamesFallBackToFriendlyNameAndTwinsBindTheFirst) {
  AudioDeviceEnumerator devices;
  EXPECT_EQ(devices.ListDevices(), (std::vector<std::string>{"hw:Only", "Twin", "Twin", "", "Broken"}));
  std::shared_ptr<IBaseFilter> bound;
  ASSERT_TRUE(devices.BindDevice("Twin", &bound));
  EXPECT_EQ(bound, m_first);
  EXPECT_FALSE(devices.BindDevice("Missing", &bound));
  EXPECT_FALSE(devices.BindDevice("Broken", &bound));
  EXPECT_EQ(GetErrorInfo(), "Failed to bind moniker to object");
}

TEST(FilterCategoryEnumerator, EmptyCategoryListsNothing) {
  constexpr CLSID kUnusedCategory{0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
  FilterCategoryEnumerator compressors(kUnusedCategory);
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(compressors.ListNames(&names), S_OK);
  EXPECT_TRUE(names.empty());
  std::shared_ptr<IBaseFilter> filter;
  EXPECT_EQ(compressors.BindByName("anything", &filter), VFW_E_NOT_FOUND);
}

}  // namespace
