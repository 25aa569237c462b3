// Feeds arbitrary bytes to the Ogg reader the multiplexer's tests check its files with.

#include <cstddef>
#include <cstdint>

#include "filters/OggTestReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const OggTestFile file = ReadOggTestFile({data, size});
  size_t end = 0;
  for (const OggTestPage& page : file.pages) {
    if (page.offset < end || page.offset + page.bytes > size) __builtin_trap();
    end = page.offset + page.bytes;
  }
  if (file.unreadBytes > size) __builtin_trap();
  return 0;
}
