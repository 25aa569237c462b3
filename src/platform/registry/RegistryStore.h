#pragma once

// The file that holds one user's registry, in RegistryText form.
//
// The parsed file is kept in memory with the file's identity (device, inode, size, modification
// time) and parsed again only when that identity changed, so a run that reads many values
// parses the file once. Calls may come from any thread of any process; they are serialised
// through flock on "<file>.lock" beside the file (shared for reads, exclusive for updates), and
// each call opens its own descriptor, so threads of one process exclude each other the same
// way. Updates always read the file afresh under the exclusive lock and replace it atomically
// (temporary file beside it, fsync, rename), so a crash leaves the old file or the new one.
// m_cacheMutex guards m_cache.
//
// A file that cannot be parsed, or one far larger than any settings file (kMaxFileBytes), is
// renamed aside to "<file>.damaged-<YYYYmmdd-HHMMSS>" and the
// registry reads as empty; the next update starts a fresh file. The user is told through the
// message-box seam, on the calling thread (the settings are read on the user-interface thread).

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/registry/RegistryTypes.h"

class RegistryStore {
 public:
  // A real settings file holds a few kilobytes.
  static constexpr size_t kMaxFileBytes = 1024 * 1024;

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

  struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const FileIdentity& other) const;
  };
  struct Snapshot {
    FileIdentity identity;
    RegistryKeyMap keys;
  };

  // `useCache`: answer from the snapshot when the file is the one it was taken of.
  FileState ReadFile(RegistryKeyMap& keys, bool useCache) const;
  void Remember(const FileIdentity& identity, const RegistryKeyMap& keys) const;
  // The snapshot, when the file is still the one it was taken of.
  bool ReadUnchanged(RegistryKeyMap& keys) const;
  void SetAside() const;

  std::string m_filePath;
  // Behind a pointer so the store stays movable.
  std::unique_ptr<std::mutex> m_cacheMutex = std::make_unique<std::mutex>();
  mutable std::optional<Snapshot> m_cache;
};
