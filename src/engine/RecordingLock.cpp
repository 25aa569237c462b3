#include "engine/RecordingLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

#include "platform/media/HResult.h"
#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/PathHelpers.h"

namespace {

constexpr const char* kLockFileName = "corvox_record.lock";

}  // namespace

bool RecordingLock::Acquire(const std::string& folder) {
  if (IsHeld()) return true;
  const std::string path = PathAppend(folder, kLockFileName);
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd.IsValid()) {
    SetErrorInfo(ErrnoMessage("Cannot open", path, errno));
    return false;
  }
  while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    SetErrorInfo(errno == EWOULDBLOCK ? "Another recording is in progress." : ErrnoMessage("Cannot lock", path, errno));
    return false;
  }
  m_fd = std::move(fd);
  return true;
}

void RecordingLock::Release() { m_fd = FileDescriptor(); }
