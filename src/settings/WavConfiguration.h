#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/RecordField.h"

// WAV choices, "WAV Configuration": 8 bytes, little-endian.
struct WavConfiguration {
  int32_t compressorIndex = -1;  // position in the audio compressor category; -1 uncompressed PCM
  int32_t listPosition = -1;     // chosen line of the WAV page's compressor list; -1 none

  static constexpr size_t kSizeBytes = 8;

  template <typename Self, typename Visitor>
  static void VisitFields(Self& self, Visitor&& visit) {
    visit(RecordField{"compressorIndex", 0}, self.compressorIndex);
    visit(RecordField{"listPosition", 4}, self.listPosition);
  }

  bool operator==(const WavConfiguration&) const = default;
};
