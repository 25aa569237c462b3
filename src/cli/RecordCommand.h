#pragma once
// corvox record [--format wma|wav|mp3|ogg] [--seconds S] [--output PATH] [--interactive]
//
// Records through the document as the Record button does, until S seconds of audio are
// recorded, the input ends, Ctrl-C, or (with --interactive) q or "stop" on standard input; the
// document saves the recording under its output name (the next numbered name from the
// template, or PATH, which may replace a regular file only) and loads it. Prints the output
// path on standard output and the duration read from the dump file on standard error. On a
// terminal, standard error shows one status line while recording: time recorded, state and
// the input's peak level. Returns 0 only when a valid, complete file was saved.

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

int RunRecordCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err);
