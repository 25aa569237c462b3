#pragma once
// Recordings that could not be saved under their output name, and leftovers of a session that
// ended before its recording was saved, are kept in the user's temporary folder under names
// of their own. Self-contained; any thread.

#include <string>

// Moves `file` into `folder` as "corvox_unsaved_<YYYYmmdd-HHMMSS><extension>", with "-2",
// "-3" ... before the extension when that name is taken. Each name is claimed atomically, so
// two recordings kept in the same second never share one and nothing is replaced. True with
// the new path in *keptAs; false with a sentence in *error.
bool KeepUnsaved(const std::string& file, const std::string& folder, const std::string& extension, std::string* keptAs,
                 std::string* error);

// Whether a file at the temporary recording's name holds audio worth keeping: a WAV file with
// audio after its header, or any other file that is not empty.
bool HoldsRecordedAudio(const std::string& path);

enum class Leftover {
  None,     // nothing was there
  Removed,  // a file without audio was deleted
  Kept,     // a file with audio was kept under an unsaved name
  Stuck,    // a file with audio could not be moved: it is still there
};

// Clears `path` for the next recording: a file there that holds audio is kept in `folder`
// (KeepUnsaved, the extension by its content: ".wav", ".ogg", ".wma", else ".audio"), one
// without audio is deleted. *keptAs names the kept file; *error says why it is Stuck.
Leftover ClearLeftover(const std::string& path, const std::string& folder, std::string* keptAs, std::string* error);
