#include <sstream>

#include "cli/SettingsCommand.h"
#include "settings/SettingsTestStore.h"

class SettingsCommand : public SettingsTestStore {
 protected:
  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunSettingsCommand(args, store, out, err);
  }

  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(SettingsCommand, SetAndGetWholeNumbersAndTexts) {
  EXPECT_EQ(Run({"set", "Format", "201"}), 0) << err.str();
  EXPECT_EQ(Run({"get", "format"}), 0);
  EXPECT_EQ(out.str(), "201\n");

  EXPECT_EQ(Run({"set", "Audio Filename", "/rec/my take.wav"}), 0) << err.str();
  EXPECT_EQ(Run({"get", "Audio Filename"}), 0);
  EXPECT_EQ(out.str(), "/rec/my take.wav\n");
  EXPECT_EQ(Raw("Audio Filename").data.back(), 0);

  EXPECT_EQ(Run({"set", "Show ToolTips", "0"}), 0);
  EXPECT_FALSE(store.GetShowToolTips());
}

TEST_F(SettingsCommand, SetChangesOnlyTheNamedFieldsOfARecord) {
  ASSERT_TRUE(store.SetDeviceSettings(3, DeviceSettings{48000, 1, 16, 500}));
  EXPECT_EQ(Run({"set", "Device Settings 3", "latencyMs=250", "bitsPerSample=24"}), 0) << err.str();
  DeviceSettings device;
  ASSERT_TRUE(store.GetDeviceSettings(3, device));
  EXPECT_EQ(device, (DeviceSettings{48000, 1, 24, 250}));

  EXPECT_EQ(Run({"get", "device settings 3"}), 0);
  EXPECT_EQ(out.str(), "samplesPerSec=48000\nchannels=1\nbitsPerSample=24\nlatencyMs=250\n");

  // A missing record starts from the defaults.
  EXPECT_EQ(Run({"set", "OGG Configuration", "quality=87.5", "qualityBased=0"}), 0) << err.str();
  OggConfiguration ogg;
  ogg.quality = 0;
  ASSERT_TRUE(store.GetOggConfiguration(ogg));
  EXPECT_EQ(ogg, (OggConfiguration{64, 128, 112, 0, 87.5}));
}

TEST_F(SettingsCommand, ListShowsEveryStoredValueOnOneLine) {
  store.RunStartupPass();
  Plant("Foreign", REG_SZ, {'a', 'b'});
  Plant("Playback Vol", REG_SZ, {'7', '0', 0});
  EXPECT_EQ(Run({"list"}), 0);
  const std::string defaultTemplate = MusicFolder() + "/Vantro Audio/vantroaudio.wma (default)\n";
  EXPECT_EQ(out.str(),
            "Audio Filename\t" + defaultTemplate +
            "Auto Update\t1\n"
            "Current Device\t0\n"
            "Device Settings 0\tsamplesPerSec=44100 channels=2 bitsPerSample=16 latencyMs=500\n"
            "Foreign\thex(1):61,62\n"
            "Format\t200\n"
            "MP3 Configuration\tcbrBitrateKbps=128 vbrMinBitrateKbps=64 vbrMaxBitrateKbps=128 vbrQuality=4 "
            "outputSampleRateHz=44100 encodingQuality=5 channels=2 copyright=0 crc=0 original=0 cbr=1\n"
            "OGG Configuration\tminBitrateKbps=64 maxBitrateKbps=128 averageBitrateKbps=112 qualityBased=1 "
            "quality=0.5\n"
            "Open Directory\t" + defaultTemplate +
            "Overwriting Behaviour\t0\n"
            "Playback Vol\t\"70\"\n"
            "Preview Audio\t0\n"
            "Show ToolTips\t1\n"
            "WAV Configuration\tcompressorIndex=-1 listPosition=-1\n"
            "WMA Configuration\tcodecIndex=0 formatIndex=24 vbr=0\n");
}

TEST_F(SettingsCommand, AFreshStoreListsTheDefaultsInUseMarkedAsSuch) {
  EXPECT_EQ(Run({"list"}), 0) << err.str();
  const std::string listed = out.str();
  EXPECT_NE(listed.find("Format\t200 (default)\n"), std::string::npos) << listed;
  EXPECT_NE(listed.find("Device Settings 0\tsamplesPerSec=44100 channels=2 bitsPerSample=16 latencyMs=500 (default)\n"),
            std::string::npos)
      << listed;
  EXPECT_NE(listed.find("Audio Filename\t" + MusicFolder() + "/Vantro Audio/vantroaudio.wma (default)\n"),
            std::string::npos)
      << listed;
  // Markers whose absence means something have no default to show.
  EXPECT_EQ(listed.find("Virgin"), std::string::npos);
  EXPECT_EQ(listed.find("Last Checked"), std::string::npos);

  ASSERT_TRUE(store.SetFormat(203));
  EXPECT_EQ(Run({"list"}), 0);
  EXPECT_NE(out.str().find("Format\t203\n"), std::string::npos) << out.str();
}

TEST_F(SettingsCommand, GetShowsTheDefaultInUseAndSaysSoApart) {
  EXPECT_EQ(Run({"get", "Format"}), 0);
  EXPECT_EQ(out.str(), "200\n");
  EXPECT_NE(err.str().find("default"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"get", "WAV Configuration"}), 0);
  EXPECT_EQ(out.str(), "compressorIndex=-1\nlistPosition=-1\n");
  EXPECT_EQ(Raw("Format").type, REG_NONE);
}

TEST_F(SettingsCommand, GetReportsMissingAndMalformedValues) {
  EXPECT_EQ(Run({"get", "Last Checked"}), 1);
  EXPECT_NE(err.str().find("not stored"), std::string::npos) << err.str();

  Plant("Format", REG_DWORD, {1, 2});
  EXPECT_EQ(Run({"get", "Format"}), 1);
  EXPECT_NE(err.str().find("hex(4):01,02"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

class SettingsCommandRefuses : public SettingsCommand,
                               public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(SettingsCommandRefuses, WithAMessageAndWritesNothing) {
  ASSERT_TRUE(store.SetMp3Configuration(Mp3Configuration{}));
  const std::string before = folder.ReadText("corvox.reg");
  EXPECT_EQ(Run(GetParam()), 2);
  EXPECT_FALSE(err.str().empty());
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(folder.ReadText("corvox.reg"), before);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, SettingsCommandRefuses,
    ::testing::Values(
        std::vector<std::string>{}, std::vector<std::string>{"remove", "Format"}, std::vector<std::string>{"get"},
        std::vector<std::string>{"set", "Format"}, std::vector<std::string>{"get", "Colour"},
        std::vector<std::string>{"set", "Colour", "1"}, std::vector<std::string>{"get", "Device Settings 01"},
        std::vector<std::string>{"get", "Device Settings -1"}, std::vector<std::string>{"set", "Format", "199"},
        std::vector<std::string>{"set", "Format", "20x"}, std::vector<std::string>{"set", "Format", "201", "202"},
        std::vector<std::string>{"set", "Current Device", "-1"},
        std::vector<std::string>{"set", "Current Device", "4294967296"},
        std::vector<std::string>{"set", "Auto Update", "2"},
        std::vector<std::string>{"set", "Open Directory", std::string(256, 'd')},
        std::vector<std::string>{"set", "MP3 Configuration", "cbrBitrateKbps=96", "bitrate=1"},
        std::vector<std::string>{"set", "MP3 Configuration", "cbrBitrateKbps=96", "crc=2"},
        std::vector<std::string>{"set", "MP3 Configuration", "cbrBitrateKbps"},
        std::vector<std::string>{"set", "MP3 Configuration", "channels=2147483648"},
        std::vector<std::string>{"set", "Device Settings 0", "channels=65536"},
        std::vector<std::string>{"set", "OGG Configuration", "quality=nan"},
        std::vector<std::string>{"set", "OGG Configuration", "quality=1e999"}));
