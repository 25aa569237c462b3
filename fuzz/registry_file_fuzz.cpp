// Feeds arbitrary bytes to the registry file parser. Besides not crashing, whatever it accepts
// must survive a write and a second read unchanged, as the store relies on that.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryKeyMap keys;
  if (!ParseRegistryText(text, keys)) {
    return 0;
  }
  const std::string written = FormatRegistryText(keys);
  RegistryKeyMap reread;
  if (!ParseRegistryText(written, reread) || reread != keys || FormatRegistryText(reread) != written) {
    std::abort();
  }
  return 0;
}
