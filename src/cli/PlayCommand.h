#pragma once
// corvox play FILE [--from S] [--to S] [--volume P]
//
// Loads FILE as the Open command does and plays it through the audio renderer, whole or the
// selection from S to S seconds, at position P of the volume slider (0 ... 1000; default the
// stored "Playback Vol"), and returns when playback completes (0) or fails (1). On a terminal,
// standard error shows the position while playing. Ctrl-C stops playback (130).

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

int RunPlayCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out, std::ostream& err);
