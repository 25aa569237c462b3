#pragma once
// corvox check-update: asks the update server once, as the window's update timer does, and
// says what it answered. Nothing is opened and "Last Checked" is left alone.

#include <iosfwd>
#include <string>
#include <vector>

class SettingsStore;

// 0: answered (an update or none); 1: offline, failed or not understood; 2: bad arguments.
int RunUpdateCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err);
