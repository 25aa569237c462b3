#pragma once

// The file that holds one user's registry, in RegistryText form.
//
// No state is kept in memory: every call reads the file afresh. Calls may come from any thread
// of any process; they are serialised through flock on "<file>.lock" beside the file (shared for
// reads, exclusive for updates), and each call opens its own descriptor, so threads of one
// process exclude each other the same way. Updates replace the file atomically (temporary file
// beside it, fsync, rename), so a crash leaves the old file or the new one.
//
// A file that cannot be parsed is renamed aside to "<file>.damaged-<YYYYmmdd-HHMMSS>" and the
// registry reads as empty; the next update starts a fresh file. The user is told through the
// message-box seam, on the calling thread (the settings are read on the user-interface thread).

#include <functional>
#include <string>

#include "platform/registry/RegistryTypes.h"

class RegistryStore {
 public:
  explicit RegistryStore(std::string filePath);

  // The current user's file: $XDG_CONFIG_HOME (default ~/.config) + "/vantro/corvox.reg".
  static std::string DefaultPath();

  const std::string& FilePath() const { return m_filePath; }

  // A missing file (or folder) reads as an empty registry.
  LSTATUS Read(RegistryKeyMap& keys) const;

  // Reads, lets change edit the keys, and writes the result back when change returns
  // ERROR_SUCCESS; any other result is returned and nothing is written. Creates the folder
  // (mode 0700) and the file (mode 0600) as needed.
  LSTATUS Update(const std::function<LSTATUS(RegistryKeyMap& keys)>& change) const;

 private:
  enum class FileState { Parsed, Damaged, Unreadable };

  FileState ReadFile(RegistryKeyMap& keys) const;
  void SetAside() const;

  std::string m_filePath;
};
