#pragma once

#include <unistd.h>

// Owns one open file descriptor and closes it when it goes.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      if (m_fd >= 0) {
        ::close(m_fd);
      }
      m_fd = other.m_fd;
      other.m_fd = -1;
    }
    return *this;
  }
  ~FileDescriptor() {
    if (m_fd >= 0) {
      ::close(m_fd);
    }
  }

  int Get() const { return m_fd; }
  bool IsValid() const { return m_fd >= 0; }

  // Closes now and returns close's result, where a deferred write error shows up.
  int Close() {
    const int result = ::close(m_fd);
    m_fd = -1;
    return result;
  }

 private:
  int m_fd;
};
