#include "filters/WavMpegExtractor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/media/WaveFormat.h"
#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"
#include "platform/ui/MessageBox.h"

namespace {

constexpr size_t kBlockBytes = 16000;
// "RIFF" + size, "WAVE", "fmt " + size, then the 18-byte wave format record.
constexpr size_t kLeadBytes = 38;
constexpr size_t kFormatTagOffset = 20;
constexpr uint64_t kSearchStart = 8;
constexpr std::string_view kDataTag("data", 4);
constexpr uint64_t kChunkHeaderBytes = 8;

enum class CopyResult { Done, ReadFailed, WriteFailed };

bool Fail(const char* action, const std::string& name, int err) {
  MessageBox(nullptr, ErrnoMessage(action, name, err), MB_ICONERROR);
  return false;
}

// Reads `length` bytes at `offset`, fewer only at the end of the file. False with errno set.
bool ReadAt(int fd, uint64_t offset, uint8_t* data, size_t length, size_t* got) {
  *got = 0;
  while (*got < length) {
    const ssize_t n = ::pread(fd, data + *got, length - *got, static_cast<off_t>(offset + *got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return true;
}

bool HasTag(const uint8_t* at, std::string_view tag) { return std::memcmp(at, tag.data(), tag.size()) == 0; }

// `lead` holds the file's first bytes over zeros, so a file too short for a field fails on it.
bool IsMpegWave(const uint8_t* lead) {
  const uint16_t tag = GetLe16(lead + kFormatTagOffset);
  return HasTag(lead, "RIFF") && HasTag(lead + 8, "WAVE") && HasTag(lead + 12, "fmt ") &&
         (tag == WAVE_FORMAT_MPEGLAYER3 || tag == WAVE_FORMAT_MPEG);
}

// Offset of the first "data" at or after kSearchStart whose four bytes lie below `length`,
// searched byte by byte (not chunk by chunk). False with errno set when a read fails.
bool FindDataTag(int fd, uint64_t length, std::vector<uint8_t>& buffer, std::optional<uint64_t>* found) {
  found->reset();
  uint64_t base = kSearchStart;  // file offset of buffer[0]
  size_t kept = 0;               // bytes carried over from the previous block
  while (base + kept < length) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockBytes, length - base - kept));
    size_t got = 0;
    if (!ReadAt(fd, base + kept, buffer.data() + kept, want, &got)) return false;
    if (got == 0) return true;  // the file shrank meanwhile
    const size_t filled = kept + got;
    const size_t at = std::string_view(reinterpret_cast<const char*>(buffer.data()), filled).find(kDataTag);
    if (at != std::string_view::npos) {
      *found = base + at;
      return true;
    }
    // A tag may straddle two blocks.
    kept = std::min(filled, kDataTag.size() - 1);
    std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
    base += filled - kept;
  }
  return true;
}

// Copies from `offset` to the end of `source`, which may still be growing.
CopyResult CopyToEnd(int source, uint64_t offset, int destination, std::vector<uint8_t>& buffer) {
  for (;;) {
    size_t got = 0;
    if (!ReadAt(source, offset, buffer.data(), kBlockBytes, &got)) return CopyResult::ReadFailed;
    if (got == 0) return CopyResult::Done;
    if (!WriteAll(destination, std::string_view(reinterpret_cast<const char*>(buffer.data()), got)))
      return CopyResult::WriteFailed;
    offset += got;
  }
}

}  // namespace

CWavMpegExtractor::CWavMpegExtractor(std::string sourcePath, std::string destinationPath)
    : m_sourcePath(std::move(sourcePath)), m_destinationPath(std::move(destinationPath)) {}

bool CWavMpegExtractor::Extract() {
  FileDescriptor source(::open(m_sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.IsValid()) return Fail("Cannot open", m_sourcePath, errno);
  FileDescriptor destination(::open(m_destinationPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!destination.IsValid()) return Fail("Cannot create", m_destinationPath, errno);
  if (!ExtractPayload(source.Get(), m_sourcePath, destination.Get(), m_destinationPath)) return false;
  // A deferred write error (quota, network file system) shows up only here.
  if (destination.Close() != 0) return Fail("Cannot write", m_destinationPath, errno);
  return true;
}

bool CWavMpegExtractor::ExtractPayload(int sourceFd, const std::string& sourceName, int destinationFd,
                                       const std::string& destinationName) {
  struct stat info;
  if (::fstat(sourceFd, &info) != 0) return Fail("Cannot read", sourceName, errno);
  const uint64_t length = static_cast<uint64_t>(info.st_size);

  uint8_t lead[kLeadBytes] = {};
  size_t got = 0;
  if (!ReadAt(sourceFd, 0, lead, sizeof lead, &got)) return Fail("Cannot read", sourceName, errno);
  if (!IsMpegWave(lead)) return false;

  std::vector<uint8_t> buffer(kBlockBytes + kDataTag.size() - 1);
  std::optional<uint64_t> tag;
  if (!FindDataTag(sourceFd, length, buffer, &tag)) return Fail("Cannot read", sourceName, errno);
  // A tag without its whole size field behind it is a cut-off file, not an empty chunk.
  if (!tag || *tag + kChunkHeaderBytes > length) return false;

  switch (CopyToEnd(sourceFd, *tag + kChunkHeaderBytes, destinationFd, buffer)) {
    case CopyResult::ReadFailed:
      return Fail("Cannot read", sourceName, errno);
    case CopyResult::WriteFailed:
      return Fail("Cannot write", destinationName, errno);
    case CopyResult::Done:
      break;
  }
  return true;
}
