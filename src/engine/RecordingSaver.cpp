#include "engine/RecordingSaver.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/shell/FileOperations.h"

namespace {

constexpr int kMaxAttempts = 100;

}  // namespace

bool IsReplaceableTarget(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

bool SaveRecording(const std::string& recording, std::string* output, ReplaceRule rule,
                   const std::function<std::string()>& nextName, std::string* error) {
  if (rule == ReplaceRule::ReplaceRegularFile) {
    if (!IsReplaceableTarget(*output)) {
      if (error) *error = *output + " exists and is not a regular file; it is never replaced.";
      return false;
    }
    return MoveFile(recording, *output, MoveMode::Replace, error);
  }
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    if (MoveFile(recording, *output, MoveMode::KeepExisting, error)) return true;
    if (errno != EEXIST) return false;
    // A file of this name appeared while the recording ran.
    const std::string next = nextName ? nextName() : std::string();
    if (next.empty() || next == *output) break;
    *output = next;
  }
  if (error) *error = "No free name was found beside " + *output + ".";
  return false;
}
