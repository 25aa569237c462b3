#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/RecordField.h"

// MP3 encoder choices, "MP3 Configuration": 32 bytes, little-endian.
struct Mp3Configuration {
  int32_t cbrBitrateKbps = 128;
  int32_t vbrMinBitrateKbps = 64;
  int32_t vbrMaxBitrateKbps = 128;
  int32_t vbrQuality = 4;  // 0 best to 9
  int32_t outputSampleRateHz = 44100;
  int32_t encodingQuality = 5;  // 0 best and slow to 9 low and fast
  int32_t channels = 2;         // 1 mono, 2 stereo
  uint8_t copyright = 0;
  uint8_t crc = 0;
  uint8_t original = 0;
  uint8_t cbr = 1;  // 1 constant bitrate, 0 variable

  static constexpr size_t kSizeBytes = 32;

  template <typename Self, typename Visitor>
  static void VisitFields(Self& self, Visitor&& visit) {
    visit(RecordField{"cbrBitrateKbps", 0}, self.cbrBitrateKbps);
    visit(RecordField{"vbrMinBitrateKbps", 4}, self.vbrMinBitrateKbps);
    visit(RecordField{"vbrMaxBitrateKbps", 8}, self.vbrMaxBitrateKbps);
    visit(RecordField{"vbrQuality", 12}, self.vbrQuality);
    visit(RecordField{"outputSampleRateHz", 16}, self.outputSampleRateHz);
    visit(RecordField{"encodingQuality", 20}, self.encodingQuality);
    visit(RecordField{"channels", 24}, self.channels);
    visit(RecordField{"copyright", 28, true}, self.copyright);
    visit(RecordField{"crc", 29, true}, self.crc);
    visit(RecordField{"original", 30, true}, self.original);
    visit(RecordField{"cbr", 31, true}, self.cbr);
  }

  bool operator==(const Mp3Configuration&) const = default;
};
