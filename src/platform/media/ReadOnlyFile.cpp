#include "platform/media/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileOperations.h"

ReadOnlyFile::~ReadOnlyFile() {
  if (m_fd >= 0) ::close(m_fd);
}

HRESULT ReadOnlyFile::Open(const std::string& path) {
  if (m_fd >= 0) return E_UNEXPECTED;
  m_path = path;
  if (path.empty()) {
    SetErrorInfo("No file name was given.");
    return E_INVALIDARG;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail("Cannot open", errno);
  struct stat status;
  if (::fstat(fd, &status) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail("Cannot open", error);
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd);
    SetErrorInfo("Cannot open " + path + ": " +
                 (S_ISDIR(status.st_mode) ? "it is a folder." : "it is not a regular file."));
    return HResultFromErrno(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
  }
  m_fd = fd;
  return S_OK;
}

HRESULT ReadOnlyFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t length, size_t* read) const {
  if (read) *read = 0;
  if (buffer == nullptr && length > 0) return E_POINTER;
  if (m_fd < 0) return E_UNEXPECTED;
  const ssize_t got = ReadAllAt(m_fd, buffer, length, offset);
  if (got < 0) return Fail("Cannot read", errno);
  if (read) *read = static_cast<size_t>(got);
  return S_OK;
}

HRESULT ReadOnlyFile::Size(uint64_t* size) const {
  if (size == nullptr) return E_POINTER;
  if (m_fd < 0) return E_UNEXPECTED;
  struct stat status;
  if (::fstat(m_fd, &status) != 0) return Fail("Cannot read", errno);
  *size = static_cast<uint64_t>(status.st_size);
  return S_OK;
}

HRESULT ReadOnlyFile::Fail(const char* action, int error) const {
  SetErrorInfo(ErrnoMessage(action, m_path, error) + ".");
  return HResultFromErrno(error);
}
