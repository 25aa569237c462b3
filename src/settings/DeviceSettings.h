#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/RecordField.h"

// Capture format and latency of one capture device, stored per device position as
// "Device Settings %d": 12 bytes, little-endian.
struct DeviceSettings {
  uint32_t samplesPerSec = 44100;
  uint16_t channels = 2;
  uint16_t bitsPerSample = 16;
  uint32_t latencyMs = 500;

  static constexpr size_t kSizeBytes = 12;

  template <typename Self, typename Visitor>
  static void VisitFields(Self& self, Visitor&& visit) {
    visit(RecordField{"samplesPerSec", 0}, self.samplesPerSec);
    visit(RecordField{"channels", 4}, self.channels);
    visit(RecordField{"bitsPerSample", 6}, self.bitsPerSample);
    visit(RecordField{"latencyMs", 8}, self.latencyMs);
  }

  bool operator==(const DeviceSettings&) const = default;
};
