#include "cli/MixerCommand.h"

#include <cstdlib>

#include "mixer/AudioMixer.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kUsage = "usage: corvox mixer [select PORT | volume VALUE]\n";

const char* ComponentName(uint32_t componentType) {
  switch (componentType) {
    case MIXERLINE_COMPONENTTYPE_SRC_DIGITAL:
      return "digital";
    case MIXERLINE_COMPONENTTYPE_SRC_LINE:
      return "line";
    case MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE:
      return "microphone";
    case MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER:
      return "synthesizer";
    case MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC:
      return "compact disc";
    case MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE:
      return "telephone";
    case MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER:
      return "PC speaker";
    case MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT:
      return "wave out";
    case MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY:
      return "auxiliary";
    case MIXERLINE_COMPONENTTYPE_SRC_ANALOG:
      return "analog";
    default:
      return "undefined";
  }
}

// A whole number from `minimum` to `maximum`, or false.
bool ParseNumber(const std::string& text, long long minimum, long long maximum, long long* value) {
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < minimum || parsed > maximum) return false;
  *value = parsed;
  return true;
}

// Prints mixer `number`, opened in `mixer`: its ports and the selected port's volume.
void PrintMixer(AudioMixer& mixer, int number, std::ostream& out) {
  out << "mixer " << number << '\t' << mixer.GetDeviceName() << '\n';
  std::vector<AudioMixer::Port> ports;
  if (!mixer.EnumPorts(&ports)) {
    out << "  (no recording inputs)\n";
    return;
  }
  const int selected = mixer.GetSelectedPort();
  for (size_t i = 0; i < ports.size(); ++i) {
    out << "  " << i << '\t' << ports[i].name << '\t' << ComponentName(ports[i].componentType);
    // A MIXER control records several inputs at once; GetSelectedPort names only the first.
    if (static_cast<int>(i) == selected) out << "\tselected";
    out << '\n';
  }
  uint32_t minimum = 0, maximum = 0;
  const int64_t volume = mixer.PreparePortVolume(selected, nullptr) ? mixer.GetVolume(&minimum, &maximum) : -1;
  if (volume < 0)
    out << "  volume\tnone\n";
  else
    out << "  volume\t" << volume << "\t(" << minimum << " to " << maximum << ")\n";
}

}  // namespace

int RunMixerCommand(const std::vector<std::string>& args, SettingsStore& settings, AudioMixer& mixer, std::ostream& out,
                    std::ostream& err) {
  const bool change = !args.empty();
  if (change && (args.size() != 2 || (args[0] != "select" && args[0] != "volume"))) {
    err << kUsage;
    return 2;
  }
  const int count = mixer.GetDeviceCount();
  if (!change) {
    if (count == 0) out << "no mixers\n";
    for (int number = 0; number < count; ++number) {
      if (!mixer.Open(nullptr, number)) continue;
      PrintMixer(mixer, number, out);
    }
    return 0;
  }

  int device = 0;
  settings.GetCurrentDevice(device);
  if (!mixer.Open(nullptr, device)) {
    err << "corvox mixer: there is no mixer for the current device (" << device << "); " << count
        << " mixer(s) found.\n";
    return 1;
  }
  std::vector<AudioMixer::Port> ports;
  if (!mixer.EnumPorts(&ports)) {
    err << "corvox mixer: the mixer \"" << mixer.GetDeviceName() << "\" has no recording inputs.\n";
    return 1;
  }
  long long value = 0;
  if (args[0] == "select") {
    if (!ParseNumber(args[1], 0, static_cast<long long>(ports.size()) - 1, &value)) {
      err << "corvox mixer: select takes a port number from 0 to " << ports.size() - 1 << ", not \"" << args[1]
          << "\".\n";
      return 2;
    }
    if (!mixer.SelectPort(static_cast<int>(value))) {
      err << "corvox mixer: the mixer refused to select \"" << ports[static_cast<size_t>(value)].name << "\".\n";
      return 1;
    }
  } else {
    const int selected = mixer.GetSelectedPort();
    uint32_t minimum = 0, maximum = 0;
    if (!mixer.PreparePortVolume(selected, nullptr) || mixer.GetVolume(&minimum, &maximum) < 0) {
      err << "corvox mixer: the selected port has no recording volume.\n";
      return 1;
    }
    if (!ParseNumber(args[1], minimum, maximum, &value)) {
      err << "corvox mixer: the volume runs from " << minimum << " to " << maximum << ", not \"" << args[1] << "\".\n";
      return 2;
    }
    if (!mixer.SetVolume(static_cast<uint32_t>(value))) {
      err << "corvox mixer: the mixer refused the volume " << value << ".\n";
      return 1;
    }
  }
  PrintMixer(mixer, device, out);
  return 0;
}
