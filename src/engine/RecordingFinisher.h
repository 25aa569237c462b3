#pragma once
// Turns the temporary recording into the output file once the recording graph has stopped:
// a cut-off recording is repaired, MP3 recordings lose their WAV wrapping, every recording is
// checked with its format's reader, and only a valid one is moved to its output name. What cannot be saved is kept
// under an unsaved name in the temporary folder, never dropped and never moved over another
// file. Self-contained; any thread.

#include <functional>
#include <string>
#include <vector>

#include "engine/RecordingSaver.h"

struct FinishRequest {
  std::string temporaryFile;  // what the recording graph wrote
  std::string folder;         // the temporary folder: extraction and kept recordings go there
  std::string outputFile;
  int format = 0;
  ReplaceRule rule = ReplaceRule::KeepExisting;
  std::function<std::string()> nextOutputName;  // see SaveRecording
  // The recording was cut off (a failed write, a lost device): its writers may not have
  // completed the file, so it is repaired (RepairRecording) before it is checked.
  bool cutOff = false;
};

struct FinishResult {
  bool saved = false;   // valid and under its output name
  std::string file;     // the output name when saved, else where the recording is (empty: nowhere)
  double seconds = 0;   // the recording's length by its format's check
  std::string problem;  // why it was not saved, as sentences
  // Where the parts it continues in are, in order (RecordingParts.h); empty for one file.
  std::vector<std::string> continuedIn;
};

FinishResult FinishTemporaryRecording(const FinishRequest& request);
