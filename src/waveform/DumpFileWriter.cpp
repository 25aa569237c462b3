#include "waveform/DumpFileWriter.h"

#include <fcntl.h>

#include <cerrno>
#include <charconv>
#include <vector>

#include "platform/shell/FileOperations.h"

namespace {

constexpr size_t kBufferBytes = 64 * 1024;
constexpr std::string_view kLineEnd = "\r\n";

HRESULT LastError() { return HResultFromErrno(errno != 0 ? errno : EIO); }

bool WriteAllAt(int fd, std::string_view data, uint64_t offset) {
  if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
  return WriteAll(fd, data);
}

}  // namespace

HRESULT DumpFileWriter::Open(const std::string& path) {
  if (IsOpen()) return S_OK;
  // Read access too: the header is put in front of the values by moving them.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  m_file = FileDescriptor(fd);
  m_buffer.clear();
  m_buffer.reserve(kBufferBytes);
  m_written = 0;
  return S_OK;
}

HRESULT DumpFileWriter::WriteValue(int value) {
  if (!IsOpen()) return S_OK;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  m_buffer.append(text, end);
  m_buffer.append(kLineEnd);
  return m_buffer.size() >= kBufferBytes ? Flush() : S_OK;
}

HRESULT DumpFileWriter::WriteFirstLine(std::string_view text) {
  if (!IsOpen()) return S_OK;
  std::string line(text);
  line.append(kLineEnd);
  if (m_written == 0) {
    // Everything is still queued: the header simply goes first.
    m_buffer.insert(0, line);
    return Flush();
  }
  HRESULT hr = Flush();
  if (FAILED(hr)) return hr;
  hr = ShiftContent(line.size());
  if (FAILED(hr)) return hr;
  if (!WriteAllAt(m_file.Get(), line, 0)) return LastError();
  m_written += line.size();
  return ::lseek(m_file.Get(), static_cast<off_t>(m_written), SEEK_SET) < 0 ? LastError() : S_OK;
}

HRESULT DumpFileWriter::ShiftContent(uint64_t distance) {
  std::vector<char> block(kBufferBytes);
  uint64_t end = m_written;
  while (end > 0) {
    const uint64_t start = end > block.size() ? end - block.size() : 0;
    const size_t length = static_cast<size_t>(end - start);
    const ssize_t got = ReadAllAt(m_file.Get(), block.data(), length, start);
    if (got < 0) return LastError();
    if (static_cast<size_t>(got) != length) return HResultFromErrno(EIO);
    if (!WriteAllAt(m_file.Get(), std::string_view(block.data(), length), start + distance)) return LastError();
    end = start;
  }
  return S_OK;
}

HRESULT DumpFileWriter::Flush() {
  if (m_buffer.empty()) return S_OK;
  errno = 0;
  if (WriteAll(m_file.Get(), m_buffer)) {
    m_written += m_buffer.size();
    m_buffer.clear();
    return S_OK;
  }
  const HRESULT hr = LastError();
  m_buffer.clear();
  // Part of the block may have gone out; the file's length is what later lines follow.
  const off_t position = ::lseek(m_file.Get(), 0, SEEK_CUR);
  if (position >= 0) m_written = static_cast<uint64_t>(position);
  return hr;
}

HRESULT DumpFileWriter::Close() {
  if (!IsOpen()) return S_OK;
  const HRESULT flushed = Flush();
  errno = 0;
  const HRESULT closed = m_file.Close() == 0 ? S_OK : LastError();
  return FAILED(flushed) ? flushed : closed;
}

void DumpFileWriter::Abandon() {
  m_buffer.clear();
  if (IsOpen()) m_file.Close();
}
