#pragma once
// corvox waveform FILE [--dump PATH]
//
// Loads FILE as the Open command does (the dump file goes to PATH instead of the temporary
// folder) and prints the dump's header line: channels, rate, bytes per sample, duration,
// maximum and minimum, separated by tabs. Returns 1 with the reason when the file cannot be
// processed, 2 for a usage error.

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

int RunWaveformCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                       std::ostream& err);
