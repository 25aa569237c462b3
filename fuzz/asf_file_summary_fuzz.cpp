// Reads arbitrary bytes as an ASF recording, as corvox record does to check its WMA output,
// from an in-memory file: any input gives a result code, and a success a summary that makes
// sense.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/wmf/AsfFileSummary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int file = ::memfd_create("asf_file_summary", MFD_CLOEXEC);
  if (file < 0 || ::ftruncate(file, 0) != 0) __builtin_trap();
  if (size > 0 && ::pwrite(file, data, size, 0) != static_cast<ssize_t>(size)) __builtin_trap();
  AsfFileSummary summary;
  if (SUCCEEDED(ReadAsfFileSummary("/proc/self/fd/" + std::to_string(file), &summary)) && !(summary.seconds >= 0))
    __builtin_trap();
  return 0;
}
