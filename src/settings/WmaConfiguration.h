#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/RecordField.h"

// Windows Media audio choices, "WMA Configuration": 12 bytes, little-endian; bytes 9 to 11 are
// padding, written as zero.
struct WmaConfiguration {
  int32_t codecIndex = 0;    // position in the codec list
  int32_t formatIndex = 24;  // the codec's own format index
  uint8_t vbr = 0;           // 1 when the format was enumerated in VBR mode

  static constexpr size_t kSizeBytes = 12;

  template <typename Self, typename Visitor>
  static void VisitFields(Self& self, Visitor&& visit) {
    visit(RecordField{"codecIndex", 0}, self.codecIndex);
    visit(RecordField{"formatIndex", 4}, self.formatIndex);
    visit(RecordField{"vbr", 8, true}, self.vbr);
  }

  bool operator==(const WmaConfiguration&) const = default;
};
