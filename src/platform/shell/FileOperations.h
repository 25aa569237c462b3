#pragma once

// File services of the shell: copy, delete, create folders, existence, folder listing.
// Each call is self-contained and may be made from any thread. Failures return false and, when
// an error string is given, a sentence naming the action, the path and the system's reason.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct DirectoryEntry {
  std::string name;          // bare name, no folder
  bool isDirectory = false;  // links to folders count as folders
};

// Lists every entry of folder (including "." and ".."), in the order the system returns them.
bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries, std::string* error = nullptr);

// Replaces (or creates) target with what fill writes to the descriptor it is given: the data goes
// to a new file beside target, is synced and renamed over it, so readers see the old file or the
// complete new one, never a part. fill returns false (with errno set) to abandon the write.
bool ReplaceFileAtomically(const std::string& target, unsigned mode, const std::function<bool(int fd)>& fill,
                           std::string* error = nullptr);

// Copies from to to, replacing an existing file, atomically as above: a failed copy never leaves
// a truncated target nor destroys the old one.
bool CopyFile(const std::string& from, const std::string& to, std::string* error = nullptr);

// Writes all of data to fd, retrying short writes; false with errno set on failure.
bool WriteAll(int fd, std::string_view data);

// Reads until `length` bytes or the end of the file, retrying short and interrupted reads:
// the bytes read, or -1 with errno set on failure.
ssize_t ReadAll(int fd, void* buffer, size_t length);
// The same from `offset`, leaving the file position alone.
ssize_t ReadAllAt(int fd, void* buffer, size_t length, uint64_t offset);

enum class MoveMode { Replace, KeepExisting };

// Moves from to to: a rename on one file system, else an atomic copy beside the target and the
// source deleted. With KeepExisting an existing target is never replaced: the move fails with
// errno EEXIST instead.
bool MoveFile(const std::string& from, const std::string& to, MoveMode mode, std::string* error = nullptr);

bool DeleteFile(const std::string& path, std::string* error = nullptr);

// Creates one folder (mode 0777 less the umask); fails when it exists already.
bool CreateDirectory(const std::string& path, std::string* error = nullptr);

// Creates path and any missing parents with mode; succeeds when path is a folder already.
bool CreateDirectoryPath(const std::string& path, unsigned mode, std::string* error = nullptr);

// True when an entry of that name exists in any form (links are not followed, so a dangling
// link counts as existing: writing to its name would not create a new file).
bool PathFileExists(const std::string& path);
