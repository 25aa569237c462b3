#pragma once
// corvox recover
//
// Recovers a recording an earlier session left cut off (its process killed, the machine gone
// down), as the window and corvox record do before they record: each part is repaired and
// saved under the next free output name of its format, never replacing a file. Prints each
// recovered file on standard output and what was found on standard error ("Nothing to
// recover." when nothing was). A recording whose process still runs is left alone. Returns 0
// unless something could not be recovered or looked at.

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

int RunRecoverCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                      std::ostream& err);
