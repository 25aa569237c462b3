#pragma once
// What the Ogg Vorbis settings page shows and stores, apart from its controls: the bitrate
// lines, the controls' state for a stored record, the record for the controls read back, and
// the quality slider's tip. A list left without a selection keeps the value that was read.
// Self-contained; any thread.

#include <optional>
#include <string>
#include <vector>

#include "settings/OggConfiguration.h"

struct OggPageControls {
  // Selected lines; none when the stored value is not listed.
  std::optional<int> minBitrateLine;
  std::optional<int> averageBitrateLine;
  std::optional<int> maxBitrateLine;
  int qualitySlider = 0;     // 0 to kOggSliderMax
  bool qualityBased = true;  // else bitrate based

  bool operator==(const OggPageControls&) const = default;
};

inline constexpr int kOggSliderMax = 100;

// kbit/s, shared by the three bitrate lists.
const std::vector<int>& OggBitrates();

OggPageControls OggPageControlsFor(const OggConfiguration& stored);
OggConfiguration OggConfigurationFrom(const OggPageControls& shown, const OggConfiguration& read);

std::string OggQualityTip(int position);
