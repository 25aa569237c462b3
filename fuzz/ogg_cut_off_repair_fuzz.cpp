// Feeds arbitrary bytes, as a file, to the repair of cut-off Ogg files. Besides not crashing:
// a file it mended is left with a last page that ends its stream, so a second repair finds
// nothing to do, and a file it refused is left as it was.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "filters/OggCutOffRepair.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"

namespace {

std::vector<uint8_t> Contents(int fd) {
  std::vector<uint8_t> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
  if (ReadAllAt(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) std::abort();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FileDescriptor fd(::memfd_create("ogg", MFD_CLOEXEC));
  if (!fd.IsValid() || !WriteAll(fd.Get(), std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  const HRESULT first = RepairCutOffOggFile(fd.Get(), "fuzz.ogg");
  const std::vector<uint8_t> after = Contents(fd.Get());
  if (FAILED(first)) {
    if (after != std::vector<uint8_t>(data, data + size)) std::abort();
    return 0;
  }
  if (after.size() > size || RepairCutOffOggFile(fd.Get(), "fuzz.ogg") != S_FALSE || Contents(fd.Get()) != after)
    std::abort();
  return 0;
}
