#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/RecordField.h"

// Ogg Vorbis encoder choices, "OGG Configuration": 24 bytes, little-endian.
struct OggConfiguration {
  int32_t minBitrateKbps = 64;
  int32_t maxBitrateKbps = 128;
  int32_t averageBitrateKbps = 112;
  int32_t qualityBased = 1;  // 1 quality based, 0 bitrate based
  double quality = 0.5;      // IEEE double; the Ogg page keeps its slider position 0 to 100 here

  static constexpr size_t kSizeBytes = 24;

  template <typename Self, typename Visitor>
  static void VisitFields(Self& self, Visitor&& visit) {
    visit(RecordField{"minBitrateKbps", 0}, self.minBitrateKbps);
    visit(RecordField{"maxBitrateKbps", 4}, self.maxBitrateKbps);
    visit(RecordField{"averageBitrateKbps", 8}, self.averageBitrateKbps);
    visit(RecordField{"qualityBased", 12, true}, self.qualityBased);
    visit(RecordField{"quality", 16}, self.quality);
  }

  bool operator==(const OggConfiguration&) const = default;
};
