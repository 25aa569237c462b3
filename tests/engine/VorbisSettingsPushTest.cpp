#include <gtest/gtest.h>

#include "engine/EngineTestEnvironment.h"
#include "engine/VorbisSettingsPush.h"
#include "filters/VorbisEnc.h"
#include "support/FilterHarness.h"

namespace {

class VorbisSettingsPushTest : public ::testing::Test {
 protected:
  // The encoder's input carries the default device format, 44100 Hz stereo.
  void SetUp() override {
    FilterHarnessOptions options;
    options.sourceType = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
    m_harness = std::make_unique<FilterHarness>(m_encoder, options);
    ASSERT_EQ(m_harness->Connect(), S_OK);
  }

  VORBISFORMAT Pushed(const OggConfiguration& ogg) {
    m_env.Settings().SetOggConfiguration(ogg);
    EXPECT_EQ(PushVorbisSettings(m_encoder.get(), m_env.Settings()), S_OK);
    return *VorbisFormatOf(m_encoder->OutputPin()->CurrentMediaType());
  }

  EngineTestEnvironment m_env;
  std::shared_ptr<CVorbisEnc> m_encoder = std::make_shared<CVorbisEnc>();
  std::unique_ptr<FilterHarness> m_harness;
};

TEST_F(VorbisSettingsPushTest, QualityBasedScalesTheSliderPosition) {
  OggConfiguration ogg;
  ogg.quality = 50;
  EXPECT_EQ(Pushed(ogg), (VORBISFORMAT{2, 44100, 64000, 112000, 128000, static_cast<float>(50 * 0.011 - 0.1)}));
  EXPECT_EQ(Pushed(OggConfiguration{}).fQuality, static_cast<float>(0.5 * 0.011 - 0.1)) << "stored default";
  ogg.quality = 100;
  EXPECT_EQ(Pushed(ogg).fQuality, 1.0f);
  ogg.quality = 0;
  EXPECT_TRUE(IsVorbisQualityMode(Pushed(ogg).fQuality));
}

TEST_F(VorbisSettingsPushTest, BitrateBasedSelectsBitrateManagement) {
  OggConfiguration ogg;
  ogg.qualityBased = 0;
  ogg.minBitrateKbps = 32;
  ogg.averageBitrateKbps = 96;
  ogg.maxBitrateKbps = 160;
  EXPECT_EQ(Pushed(ogg), (VORBISFORMAT{2, 44100, 32000, 96000, 160000, -1.0f}));
}

TEST_F(VorbisSettingsPushTest, OddStoredValuesStayInTheChosenMode) {
  OggConfiguration ogg;
  ogg.quality = 250;
  EXPECT_EQ(Pushed(ogg).fQuality, 1.0f);
  ogg.quality = -3;
  EXPECT_EQ(Pushed(ogg).fQuality, -0.1f);
  ogg.qualityBased = 0;
  ogg.maxBitrateKbps = 3'000'000;
  EXPECT_EQ(Pushed(ogg).nMaxBitsPerSec, 2147483647) << "no overflow";
}

TEST_F(VorbisSettingsPushTest, ADeviceFormatTheInputDoesNotCarryIsRefused) {
  m_env.Settings().SetDeviceSettings(0, DeviceSettings{22050, 1, 16, 500});
  EXPECT_EQ(PushVorbisSettings(m_encoder.get(), m_env.Settings()), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(PushVorbisSettings(nullptr, m_env.Settings()), E_POINTER);
}

}  // namespace
