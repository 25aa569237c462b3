#pragma once
// Turns the temporary recording into the output file once the recording graph has stopped:
// MP3 recordings first lose their WAV wrapping, every recording is checked with its format's
// reader, and only a valid one is moved to its output name. What cannot be saved is kept
// under an unsaved name in the temporary folder, never dropped and never moved over another
// file. Self-contained; any thread.

#include <functional>
#include <string>

#include "engine/RecordingSaver.h"

struct FinishRequest {
  std::string temporaryFile;  // what the recording graph wrote
  std::string folder;         // the temporary folder: extraction and kept recordings go there
  std::string outputFile;
  int format = 0;
  ReplaceRule rule = ReplaceRule::KeepExisting;
  std::function<std::string()> nextOutputName;  // see SaveRecording
};

struct FinishResult {
  bool saved = false;   // valid and under its output name
  std::string file;     // the output name when saved, else where the recording is (empty: nowhere)
  double seconds = 0;   // the recording's length by its format's check
  std::string problem;  // why it was not saved, as sentences
};

FinishResult FinishTemporaryRecording(const FinishRequest& request);
