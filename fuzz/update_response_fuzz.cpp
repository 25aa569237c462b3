// Feeds arbitrary bytes to the reading of the update server's answer as it would arrive.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/UpdateResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view response(reinterpret_cast<const char*>(data), size);
  const auto address = DownloadAddressFromResponse(response);
  if (!address) return 0;
  if (address->size() + 13 > size) __builtin_trap();
  for (const char c : *address)
    if (c >= 'A' && c <= 'Z') __builtin_trap();
  if (IsWebAddress(*address)) {
    if (!address->starts_with("http://") && !address->starts_with("https://")) __builtin_trap();
    for (const unsigned char c : *address)
      if (c <= ' ' || c == 0x7f) __builtin_trap();
  }
  return 0;
}
