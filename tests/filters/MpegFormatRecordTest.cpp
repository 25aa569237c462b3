#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "filters/MpegFormatRecord.h"

namespace {

using S = Mp3EncoderSettings;
using Bytes = std::vector<uint8_t>;

S DefaultSettings() {
  S settings;
  settings[S::kOutputSampleRateHz] = 44100;
  settings[S::kBitrateKbps] = 128;
  return settings;
}

Bytes Encoded(const S& settings) {
  const auto block = EncodeMpeg1WaveFormat(MakeMpegFormatRecord(settings, MakePcmFormat(44100, 2, 16)));
  return Bytes(block.begin(), block.end());
}

TEST(MpegFormatRecord, DefaultsForStereoPcmAreByteExact) {
  const Bytes expected = {
      0x50, 0x00,              // MPEG
      0x02, 0x00,              // channels
      0x44, 0xAC, 0x00, 0x00,  // 44100 Hz
      0x80, 0x3E, 0x00, 0x00,  // 16000 bytes per second
      0x01, 0x00,              // block alignment
      0x10, 0x00,              // the input's 16 bits
      0x16, 0x00,              // 22 extra bytes
      0x04, 0x00,              // Layer III
      0x00, 0xF4, 0x01, 0x00,  // 128000 bits per second
      0x01, 0x00,              // stereo
      0x00, 0x00, 0x00, 0x00,  // mode extension, emphasis
      0x10, 0x00,              // MPEG-1
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
  };
  EXPECT_EQ(Encoded(DefaultSettings()), expected);
}

TEST(MpegFormatRecord, ChannelModeSetsChannelsAndHeadMode) {
  const std::array<std::pair<int32_t, uint16_t>, 4> modes = {{{S::kChannelModeStereo, 1},
                                                              {S::kChannelModeJointStereo, 2},
                                                              {S::kChannelModeDualChannel, 4},
                                                              {S::kChannelModeMono, 8}}};
  for (const auto& [mode, head] : modes) {
    S settings = DefaultSettings();
    settings[S::kChannelMode] = mode;
    const MPEG1WAVEFORMAT record = MakeMpegFormatRecord(settings, MakePcmFormat(44100, 2, 16));
    EXPECT_EQ(record.fwHeadMode, head) << "mode " << mode;
    EXPECT_EQ(record.wfx.nChannels, mode == S::kChannelModeMono ? 1 : 2) << "mode " << mode;
    const Bytes bytes = Encoded(settings);
    EXPECT_EQ(GetLe16(bytes.data() + 2), record.wfx.nChannels);
    EXPECT_EQ(GetLe16(bytes.data() + 24), head);
  }
}

TEST(MpegFormatRecord, FlagsAddUpAndRateAndBitrateFollowTheSettings) {
  S settings = DefaultSettings();
  settings[S::kCrc] = 1;
  settings[S::kOriginal] = 1;
  settings[S::kCopyright] = 1;
  settings[S::kOutputSampleRateHz] = 32000;
  settings[S::kBitrateKbps] = 320;
  const Bytes bytes = Encoded(settings);
  EXPECT_EQ(GetLe16(bytes.data() + 30), 0x1E);
  EXPECT_EQ(GetLe32(bytes.data() + 4), 32000u);
  EXPECT_EQ(GetLe32(bytes.data() + 8), 40000u);
  EXPECT_EQ(GetLe32(bytes.data() + 20), 320000u);

  settings[S::kCrc] = 0;
  settings[S::kCopyright] = 0;
  EXPECT_EQ(GetLe16(Encoded(settings).data() + 30), 0x14);
}

TEST(Mp3EncoderSettings, RecordIsTwentyLittleEndianWords) {
  S settings;
  for (size_t i = 0; i < S::kWords; ++i) settings.words[i] = static_cast<int32_t>(i * 1000 - 5);
  std::array<uint8_t, S::kSizeBytes> bytes{};
  settings.ToBytes(bytes.data());
  EXPECT_EQ(GetLe32(bytes.data()), static_cast<uint32_t>(-5));
  EXPECT_EQ(GetLe32(bytes.data() + 4 * S::kBitrateKbps), 995u);
  EXPECT_EQ(GetLe32(bytes.data() + 76), 18995u);
  EXPECT_EQ(S::FromBytes(bytes.data()), settings);
}

}  // namespace
