#pragma once
// Moves a finished recording to its output name without ever replacing what must not be
// replaced. Self-contained; any thread.

#include <functional>
#include <string>

enum class ReplaceRule {
  // An existing entry is never replaced: the next free numbered name is taken instead. For
  // names chosen from the template, the template's own name included.
  KeepExisting,
  // An existing regular file is replaced (overwriting is on, or the user named the file);
  // anything else that exists there (a folder, a device, a FIFO, a link) is refused.
  ReplaceRegularFile,
};

// Whether `path` may be replaced under ReplaceRegularFile: nothing is there (or nothing that
// can be seen), or a regular file.
bool IsReplaceableTarget(const std::string& path);

// Moves `recording` to *output; true with *output naming where it went, false with a sentence
// in *error and the recording where it was. Under KeepExisting, `nextName` gives the next free
// numbered name whenever the current one is taken.
bool SaveRecording(const std::string& recording, std::string* output, ReplaceRule rule,
                   const std::function<std::string()>& nextName, std::string* error);
