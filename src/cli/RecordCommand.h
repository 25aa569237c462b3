#pragma once
// corvox record [--format wav] [--seconds S] [--output PATH]
//
// Builds the recording graph from the settings store, records into the temporary file until
// S seconds have passed, the input ends, or Ctrl-C (a clean stop: the file is complete), then
// moves the recording to its output name (numbered from the template, or PATH) and prints that
// path. Returns 0 only when a valid file was written.

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

int RunRecordCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err);
