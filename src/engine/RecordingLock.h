#pragma once
// One recording at a time per user: an exclusive lock on a file in the user's private
// temporary folder, held while a recording uses the temporary file. The lock goes with the
// process, so a crash never leaves it taken. User-interface thread only.

#include <string>

#include "platform/shell/FileDescriptor.h"

class RecordingLock {
 public:
  // Takes the lock without waiting; false when another recording holds it or the lock file
  // cannot be opened (GetErrorInfo says which).
  bool Acquire(const std::string& folder);
  void Release();
  bool IsHeld() const { return m_fd.IsValid(); }

 private:
  FileDescriptor m_fd;
};
