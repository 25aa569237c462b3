#pragma once
// Writes the dump file: value lines collected in a buffer and written in large blocks, and the
// header line put before them once its figures are known. Every line ends with "\r\n". Holds
// no lock: its owner serialises the calls (the dump's receive lock).
//
// Failures are the system's codes (HResultFromErrno); a full disk is
// HResultFromErrno(ENOSPC). After a failed write the buffered lines are dropped.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/media/HResult.h"
#include "platform/shell/FileDescriptor.h"

class DumpFileWriter {
 public:
  // Creates or truncates the file for writing, readable by others. Nothing when it is open.
  HRESULT Open(const std::string& path);
  bool IsOpen() const { return m_file.IsValid(); }

  // Queues the line "<value>\r\n"; writes the buffer when it is full. Nothing while closed.
  HRESULT WriteValue(int value);
  // Writes "<text>\r\n" ahead of every line written so far. Nothing while closed.
  HRESULT WriteFirstLine(std::string_view text);

  // Writes what is queued and closes: the first failure.
  HRESULT Close();
  // Closes, dropping what is queued.
  void Abandon();

 private:
  HRESULT Flush();
  // Moves the file's bytes `distance` further from its start, last block first.
  HRESULT ShiftContent(uint64_t distance);

  FileDescriptor m_file;
  std::string m_buffer;
  uint64_t m_written = 0;  // bytes in the file
};
