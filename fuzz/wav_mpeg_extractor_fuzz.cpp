// Runs the MPEG payload extraction on arbitrary bytes, in memory files (no disk I/O per run),
// and checks what it promises: on success the destination is exactly the tail of the input
// after a "data" tag (at offset 8 or later) and its size field; on failure it is empty.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "filters/WavMpegExtractor.h"
#include "platform/shell/FileOperations.h"
#include "platform/ui/MessageBox.h"

namespace {

int MemoryFile(const char* name) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) __builtin_trap();
  return fd;
}

void Reset(int fd) {
  if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) __builtin_trap();
}

std::vector<uint8_t> Contents(int fd) {
  std::vector<uint8_t> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
  if (!bytes.empty() && ::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
    __builtin_trap();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int source = MemoryFile("wav_mpeg_source");
  static const int destination = MemoryFile("wav_mpeg_destination");
  // Memory files do not fail; a message box here would be a finding, so it traps.
  static const MessageBoxHandler previous =
      SetMessageBoxHandler([](HWND, const std::string&, UINT) -> int { __builtin_trap(); });
  (void)previous;

  Reset(source);
  Reset(destination);
  if (!WriteAll(source, std::string_view(reinterpret_cast<const char*>(data), size))) __builtin_trap();

  const bool copied = CWavMpegExtractor::ExtractPayload(source, "fuzz source", destination, "fuzz destination");
  const std::vector<uint8_t> out = Contents(destination);
  if (!copied) {
    if (!out.empty()) __builtin_trap();
    return 0;
  }
  if (out.size() + 16 > size) __builtin_trap();
  const uint8_t* tag = data + size - out.size() - 8;
  if (std::memcmp(tag, "data", 4) != 0) __builtin_trap();
  if (!out.empty() && std::memcmp(out.data(), tag + 8, out.size()) != 0) __builtin_trap();
  return 0;
}
