#pragma once
// A regular file opened for reading, read at explicit offsets. pread keeps no shared file
// position, so any number of threads may read at once; the descriptor does not change after
// Open.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/media/HResult.h"

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Refuses folders, devices and pipes: only a regular file has a length and can be read
  // anywhere. Failure: the system's code and a readable text through SetErrorInfo.
  HRESULT Open(const std::string& path);
  bool IsOpen() const { return m_fd >= 0; }
  const std::string& Path() const { return m_path; }

  // Reads up to `length` bytes at `offset`; fewer only at the end of the file.
  HRESULT ReadAt(uint64_t offset, uint8_t* buffer, size_t length, size_t* read) const;
  HRESULT Size(uint64_t* size) const;

 private:
  HRESULT Fail(const char* action, int error) const;

  int m_fd = -1;
  std::string m_path;
};
