// Feeds arbitrary bytes to the recording marker's parser. Besides not crashing, whatever it
// accepts must survive a write and a second read unchanged, as recovery relies on that.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/RecordingMarker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<RecordingMarker> marker =
      ParseRecordingMarker(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!marker) return 0;
  const std::string written = FormatRecordingMarker(*marker);
  const std::optional<RecordingMarker> reread = ParseRecordingMarker(written);
  if (!reread || *reread != *marker || FormatRecordingMarker(*reread) != written) std::abort();
  return 0;
}
