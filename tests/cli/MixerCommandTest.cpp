#include <sstream>

#include "cli/MixerCommand.h"
#include "mixer/AudioMixer.h"
#include "platform/audio/alsa/AlsaAudioBackend.h"
#include "platform/audio/virtual/VirtualAudioBackend.h"
#include "settings/SettingsTestStore.h"

class MixerCommand : public SettingsTestStore {
 protected:
  int Run(std::vector<std::string> args, std::shared_ptr<AudioBackend> backend = nullptr) {
    out.str("");
    err.str("");
    AudioMixer mixer(backend ? backend : m_backend);
    return RunMixerCommand(args, store, mixer, out, err);
  }

  std::shared_ptr<AudioBackend> m_backend = std::make_shared<VirtualAudioBackend>();
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(MixerCommand, ListsPortsWithTheirTypeTheSelectionAndTheVolume) {
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(out.str(),
            "mixer 0\tVirtual Audio Mixer\n"
            "  0\tMicrophone\tmicrophone\tselected\n"
            "  1\tLine In\tline\n"
            "  2\tCD Audio\tcompact disc\n"
            "  volume\t65535\t(0 to 65535)\n");
}

TEST_F(MixerCommand, SelectAndVolumeChangeTheMixerOfTheCurrentDevice) {
  EXPECT_EQ(Run({"select", "2"}), 0) << err.str();
  EXPECT_NE(out.str().find("  2\tCD Audio\tcompact disc\tselected\n"), std::string::npos) << out.str();
  EXPECT_EQ(Run({"volume", "1000"}), 0) << err.str();
  EXPECT_NE(out.str().find("  volume\t1000\t(0 to 65535)\n"), std::string::npos) << out.str();
  // The change is the mixer's, not the command's: a new listing shows it.
  EXPECT_EQ(Run({}), 0);
  EXPECT_NE(out.str().find("CD Audio\tcompact disc\tselected"), std::string::npos);

  ASSERT_TRUE(store.SetCurrentDevice(1));
  EXPECT_EQ(Run({"select", "0"}), 1);
  EXPECT_EQ(err.str(), "corvox mixer: there is no mixer for the current device (1); 1 mixer(s) found.\n");
}

TEST_F(MixerCommand, RefusesValuesOutsideWhatTheMixerTakes) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"select", "3"}, {"select", "-1"}, {"select", "1x"}, {"volume", "65536"}, {"volume", ""}}) {
    EXPECT_EQ(Run(args), 2) << args[0] << " " << args[1];
    EXPECT_TRUE(out.str().empty());
  }
  EXPECT_EQ(err.str(), "corvox mixer: the volume runs from 0 to 65535, not \"\".\n");
  EXPECT_EQ(Run({"select"}), 2);
  EXPECT_EQ(Run({"louder", "1"}), 2);
  EXPECT_EQ(err.str(), "usage: corvox mixer [select PORT | volume VALUE]\n");
  // Nothing changed.
  EXPECT_EQ(Run({}), 0);
  EXPECT_NE(out.str().find("Microphone\tmicrophone\tselected"), std::string::npos);
  EXPECT_NE(out.str().find("volume\t65535"), std::string::npos);
}

TEST_F(MixerCommand, WithoutMixersThereIsNothingToChange) {
  const auto none = std::make_shared<AlsaAudioBackend>(std::vector<AlsaCard>{}, "null", nullptr);
  EXPECT_EQ(Run({}, none), 0);
  EXPECT_EQ(out.str(), "no mixers\n");
  EXPECT_EQ(Run({"volume", "10"}, none), 1);
  EXPECT_EQ(err.str(), "corvox mixer: there is no mixer for the current device (0); 0 mixer(s) found.\n");
}
