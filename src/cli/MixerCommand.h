#pragma once
// corvox mixer | mixer select N | mixer volume V
//
// Without arguments: every mixer as "mixer N<TAB>product name", then its ports as
// "  P<TAB>name<TAB>component type" with "<TAB>selected" on the ports that record, then
// "  volume<TAB>V<TAB>(min to max)" for the selected port's recording volume, or "  volume<TAB>none"
// when that port has no volume control. `select` and `volume` act on the mixer of the current
// device ("Current Device") and print its state afterwards; the changes are system-wide.

#include <ostream>
#include <string>
#include <vector>

class AudioMixer;
class SettingsStore;

// Returns 0 on success, 1 when the mixer refuses or there is none, 2 for a usage error.
int RunMixerCommand(const std::vector<std::string>& args, SettingsStore& settings, AudioMixer& mixer, std::ostream& out,
                    std::ostream& err);
