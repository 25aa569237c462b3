#include "formats/OggPageModel.h"

#include <cmath>
#include <cstdio>

#include "formats/ListLines.h"

const std::vector<int>& OggBitrates() {
  static const std::vector<int> bitrates{64, 80, 96, 112, 128, 160, 224, 256, 320, 500};
  return bitrates;
}

OggPageControls OggPageControlsFor(const OggConfiguration& stored) {
  OggPageControls controls;
  controls.minBitrateLine = LineOfValue(OggBitrates(), stored.minBitrateKbps);
  controls.averageBitrateLine = LineOfValue(OggBitrates(), stored.averageBitrateKbps);
  controls.maxBitrateLine = LineOfValue(OggBitrates(), stored.maxBitrateKbps);
  // The fraction is dropped; a value the slider cannot show (or not a number) is brought into
  // its range before the conversion, which would otherwise be undefined.
  const double quality = std::isnan(stored.quality) ? 0.0 : stored.quality;
  controls.qualitySlider = quality <= 0 ? 0 : quality >= kOggSliderMax ? kOggSliderMax : static_cast<int>(quality);
  controls.qualityBased = stored.qualityBased != 0;
  return controls;
}

OggConfiguration OggConfigurationFrom(const OggPageControls& shown, const OggConfiguration& read) {
  OggConfiguration stored = read;
  stored.minBitrateKbps = ValueOfLine(OggBitrates(), shown.minBitrateLine, read.minBitrateKbps);
  stored.averageBitrateKbps = ValueOfLine(OggBitrates(), shown.averageBitrateLine, read.averageBitrateKbps);
  stored.maxBitrateKbps = ValueOfLine(OggBitrates(), shown.maxBitrateLine, read.maxBitrateKbps);
  stored.qualityBased = shown.qualityBased ? 1 : 0;
  stored.quality = static_cast<double>(shown.qualitySlider);
  return stored;
}

std::string OggQualityTip(int position) {
  char text[48];
  std::snprintf(text, sizeof text, "Ogg Quality level: %d", position);
  return text;
}
