#include <filesystem>

#include "settings/OutputFileNaming.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTestStore.h"

namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

TEST(SettingsRecords, DefaultsHaveTheStoredByteLayouts) {
  EXPECT_EQ(EncodeRecordValue(DeviceSettings{}).data,
            (std::vector<uint8_t>{0x44, 0xac, 0, 0, 2, 0, 16, 0, 0xf4, 1, 0, 0}));
  EXPECT_EQ(EncodeRecordValue(Mp3Configuration{}).data,
            (std::vector<uint8_t>{128,  0,    0, 0, 64, 0, 0, 0, 128, 0, 0, 0, 4, 0, 0, 0,
                                  0x44, 0xac, 0, 0, 5,  0, 0, 0, 2,   0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(EncodeRecordValue(WmaConfiguration{}).data, (std::vector<uint8_t>{0, 0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeRecordValue(OggConfiguration{}).data,
            (std::vector<uint8_t>{64, 0, 0, 0, 128, 0, 0, 0, 112, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xe0, 0x3f}));
  EXPECT_EQ(EncodeRecordValue(WavConfiguration{}).data, (std::vector<uint8_t>(8, 0xff)));
  EXPECT_EQ(EncodeRecordValue(WavConfiguration{}).type, REG_BINARY);
}

TEST(SettingsRecords, EveryFieldRoundTrips) {
  Mp3Configuration mp3{320, 32, 256, 0, 48000, 9, 1, 1, 2, 3, 0};
  Mp3Configuration mp3Back;
  ASSERT_TRUE(DecodeRecordValue(EncodeRecordValue(mp3), mp3Back));
  EXPECT_EQ(mp3Back, mp3);

  OggConfiguration ogg{-1, 500, 0x7fffffff, 0, 87.25};
  OggConfiguration oggBack;
  ASSERT_TRUE(DecodeRecordValue(EncodeRecordValue(ogg), oggBack));
  EXPECT_EQ(oggBack, ogg);

  DeviceSettings device{96000, 65535, 24, 0xffffffff};
  DeviceSettings deviceBack;
  ASSERT_TRUE(DecodeRecordValue(EncodeRecordValue(device), deviceBack));
  EXPECT_EQ(deviceBack, device);
}

using SettingsStoreTest = SettingsTestStore;

TEST_F(SettingsStoreTest, MissingOrMalformedDwordsKeepTheCallersDefault) {
  int format = 200;
  EXPECT_FALSE(store.GetFormat(format));
  EXPECT_EQ(format, 200);
  EXPECT_EQ(GetExtension(store), ".wma");

  Plant("Format", REG_SZ, Bytes(std::string_view("203\0", 4)));
  EXPECT_FALSE(store.GetFormat(format));
  Plant("Format", REG_DWORD, {203, 0, 0});
  EXPECT_FALSE(store.GetFormat(format));
  Plant("Format", REG_DWORD, {203, 0, 0, 0, 0});
  EXPECT_FALSE(store.GetFormat(format));
  EXPECT_EQ(format, 200);

  ASSERT_TRUE(store.SetFormat(203));
  EXPECT_TRUE(store.GetFormat(format));
  EXPECT_EQ(format, 203);
  EXPECT_EQ(GetExtension(store), ".wav");
  EXPECT_EQ(Raw("Format"), (RegistryValue{REG_DWORD, {203, 0, 0, 0}}));
}

TEST_F(SettingsStoreTest, BooleansAreNonZeroAndFalseWhenMissing) {
  EXPECT_FALSE(store.GetAutoUpdate());
  Plant("Auto Update", REG_DWORD, {2, 0, 0, 0});
  EXPECT_TRUE(store.GetAutoUpdate());
  ASSERT_TRUE(store.SetOverwritingBehaviour(true));
  EXPECT_EQ(Raw("Overwriting Behaviour"), (RegistryValue{REG_DWORD, {1, 0, 0, 0}}));
  EXPECT_TRUE(store.GetOverwritingBehaviour());
}

TEST_F(SettingsStoreTest, TipsAreOnWhenMissingAndOnlyWhileOne) {
  EXPECT_TRUE(store.GetShowToolTips());
  Plant("Show ToolTips", REG_DWORD, {2, 0, 0, 0});
  EXPECT_FALSE(store.GetShowToolTips());
  ASSERT_TRUE(store.SetShowToolTips(true));
  EXPECT_TRUE(store.GetShowToolTips());
}

TEST_F(SettingsStoreTest, ShortRecordKeepsTheDefaultsForTheRest) {
  std::vector<uint8_t> first16(16, 0);
  first16[0] = 192;  // cbrBitrateKbps
  first16[12] = 2;   // vbrQuality
  Plant("MP3 Configuration", REG_BINARY, first16);

  Mp3Configuration configuration;
  ASSERT_TRUE(store.GetMp3Configuration(configuration));
  Mp3Configuration expected;
  expected.cbrBitrateKbps = 192;
  expected.vbrMinBitrateKbps = 0;
  expected.vbrMaxBitrateKbps = 0;
  expected.vbrQuality = 2;
  EXPECT_EQ(configuration, expected);
}

TEST_F(SettingsStoreTest, RecordOfWrongTypeOrTooLongCountsAsMissing) {
  Plant("WAV Configuration", REG_DWORD, {1, 0, 0, 0});
  WavConfiguration wav;
  EXPECT_FALSE(store.GetWavConfiguration(wav));
  EXPECT_EQ(wav, WavConfiguration{});

  Plant("Device Settings 2", REG_BINARY, std::vector<uint8_t>(13, 1));
  DeviceSettings device;
  EXPECT_FALSE(store.GetDeviceSettings(2, device));
  EXPECT_EQ(device, DeviceSettings{});

  ASSERT_TRUE(store.SetDeviceSettings(2, DeviceSettings{48000, 1, 24, 200}));
  EXPECT_TRUE(store.GetDeviceSettings(2, device));
  EXPECT_EQ(device, (DeviceSettings{48000, 1, 24, 200}));
  EXPECT_EQ(Raw("Device Settings 2").data.size(), 12u);
}

TEST_F(SettingsStoreTest, AudioFilenameNeedsItsTerminatingZero) {
  const std::string defaultTemplate = MusicFolder() + "/Vantro Audio/vantroaudio.wma";
  std::string fileName;
  Plant("Audio Filename", REG_SZ, Bytes("/rec/take.wav"));
  EXPECT_FALSE(store.GetAudioFilename(fileName));
  EXPECT_EQ(fileName, defaultTemplate);

  Plant("Audio Filename", REG_BINARY, Bytes(std::string_view("/rec/take.wav\0", 14)));
  EXPECT_FALSE(store.GetAudioFilename(fileName));

  Plant("Audio Filename", REG_EXPAND_SZ, Bytes(std::string_view("/rec/take.wav\0", 14)));
  EXPECT_TRUE(store.GetAudioFilename(fileName));
  EXPECT_EQ(fileName, "/rec/take.wav");

  ASSERT_TRUE(store.SetAudioFilename("/rec/other.ogg"));
  EXPECT_EQ(Raw("Audio Filename"), (RegistryValue{REG_SZ, Bytes(std::string_view("/rec/other.ogg\0", 15))}));
}

TEST_F(SettingsStoreTest, StringLimitsHoldForReadingAndWriting) {
  std::vector<uint8_t> longest(32768, 'a');
  longest.back() = 0;
  Plant("Audio Filename", REG_SZ, longest);
  std::string fileName;
  EXPECT_TRUE(store.GetAudioFilename(fileName));
  longest.insert(longest.begin(), 'a');
  Plant("Audio Filename", REG_SZ, longest);
  EXPECT_FALSE(store.GetAudioFilename(fileName));

  EXPECT_FALSE(store.SetOpenDirectory(std::string(256, 'd')));
  EXPECT_FALSE(store.SetOpenDirectory(std::string("a\0b", 3)));
  ASSERT_TRUE(store.SetOpenDirectory(std::string(255, 'd')));
  std::string folder;
  EXPECT_TRUE(store.GetOpenDirectory(folder));
  EXPECT_EQ(folder, std::string(255, 'd'));
}

TEST_F(SettingsStoreTest, OpenDirectoryFallsBackToTheAudioFilename) {
  ASSERT_TRUE(store.SetAudioFilename("/rec/take.mp3"));
  std::string folder;
  EXPECT_FALSE(store.GetOpenDirectory(folder));
  EXPECT_EQ(folder, "/rec/take.mp3");
}

TEST_F(SettingsStoreTest, StartupPassWritesEveryMissingDefault) {
  store.RunStartupPass();

  const std::vector<std::pair<std::string, RegistryValue>> expected = {
      {"Auto Update", EncodeDwordValue(1)},
      {"Current Device", EncodeDwordValue(0)},
      {"Device Settings 0", EncodeRecordValue(DeviceSettings{})},
      {"Format", EncodeDwordValue(200)},
      {"MP3 Configuration", EncodeRecordValue(Mp3Configuration{})},
      {"OGG Configuration", EncodeRecordValue(OggConfiguration{})},
      {"Overwriting Behaviour", EncodeDwordValue(0)},
      {"Playback Vol", EncodeDwordValue(70)},
      {"Preview Audio", EncodeDwordValue(0)},
      {"Show ToolTips", EncodeDwordValue(1)},
      {"WAV Configuration", EncodeRecordValue(WavConfiguration{})},
      {"WMA Configuration", EncodeRecordValue(WmaConfiguration{})},
  };
  std::vector<std::pair<std::string, RegistryValue>> values;
  ASSERT_TRUE(store.ReadAllValues(values));
  EXPECT_EQ(values, expected);
  EXPECT_TRUE(std::filesystem::is_directory(MusicFolder() + "/Vantro Audio"));
}

TEST_F(SettingsStoreTest, StartupPassKeepsGoodValuesAndRepairsMalformedOnes) {
  ASSERT_TRUE(store.SetFormat(202));
  ASSERT_TRUE(store.SetAutoUpdate(false));
  Plant("Playback Vol", REG_SZ, Bytes(std::string_view("70\0", 3)));
  Plant("OGG Configuration", REG_BINARY, {1, 2, 3});

  store.RunStartupPass();

  int format = 0;
  EXPECT_TRUE(store.GetFormat(format));
  EXPECT_EQ(format, 202);
  EXPECT_FALSE(store.GetAutoUpdate());
  EXPECT_EQ(Raw("Playback Vol"), EncodeDwordValue(70));
  EXPECT_EQ(Raw("OGG Configuration").data, (std::vector<uint8_t>{1, 2, 3})) << "a short record is readable";
}

TEST(SettingsStoreWithoutKey, GettersFailAndSettersDoNothing) {
  ScratchFolder folder;
  folder.WriteText("file", "");
  SettingsStore store(folder.File("file/corvox.reg"), folder.Path());

  int format = 201;
  EXPECT_FALSE(store.GetFormat(format));
  EXPECT_EQ(format, 201);
  EXPECT_FALSE(store.SetFormat(203));
  Mp3Configuration mp3;
  EXPECT_FALSE(store.GetMp3Configuration(mp3));
  store.RunStartupPass();
  EXPECT_EQ(folder.ReadText("file"), "");
}
