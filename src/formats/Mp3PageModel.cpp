#include "formats/Mp3PageModel.h"

#include <algorithm>

#include "formats/ListLines.h"

const std::vector<int>& Mp3Bitrates() {
  static const std::vector<int> bitrates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  return bitrates;
}

const std::vector<int>& Mp3VbrQualities() {
  static const std::vector<int> qualities{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  return qualities;
}

const std::vector<int>& Mp3SampleRatesHz() {
  static const std::vector<int> rates{32000, 44100, 48000};
  return rates;
}

Mp3PageControls Mp3PageControlsFor(const Mp3Configuration& stored) {
  Mp3PageControls controls;
  controls.cbrBitrateLine = LineOfValue(Mp3Bitrates(), stored.cbrBitrateKbps);
  controls.vbrMinBitrateLine = LineOfValue(Mp3Bitrates(), stored.vbrMinBitrateKbps);
  controls.vbrMaxBitrateLine = LineOfValue(Mp3Bitrates(), stored.vbrMaxBitrateKbps);
  controls.vbrQualityLine = LineOfValue(Mp3VbrQualities(), stored.vbrQuality);
  controls.sampleRateLine = LineOfValue(Mp3SampleRatesHz(), stored.outputSampleRateHz);
  // The slider cannot show a position outside its range.
  controls.encodingQuality = std::clamp(stored.encodingQuality, 0, kMp3SliderMax);
  controls.copyright = stored.copyright != 0;
  controls.crc = stored.crc != 0;
  controls.original = stored.original != 0;
  controls.cbr = stored.cbr == 1;
  controls.stereo = stored.channels != 1;
  return controls;
}

Mp3Configuration Mp3ConfigurationFrom(const Mp3PageControls& shown, const Mp3Configuration& read) {
  Mp3Configuration stored = read;
  stored.cbrBitrateKbps = ValueOfLine(Mp3Bitrates(), shown.cbrBitrateLine, read.cbrBitrateKbps);
  stored.vbrMinBitrateKbps = ValueOfLine(Mp3Bitrates(), shown.vbrMinBitrateLine, read.vbrMinBitrateKbps);
  stored.vbrMaxBitrateKbps = ValueOfLine(Mp3Bitrates(), shown.vbrMaxBitrateLine, read.vbrMaxBitrateKbps);
  stored.vbrQuality = ValueOfLine(Mp3VbrQualities(), shown.vbrQualityLine, read.vbrQuality);
  stored.outputSampleRateHz = ValueOfLine(Mp3SampleRatesHz(), shown.sampleRateLine, read.outputSampleRateHz);
  stored.encodingQuality = shown.encodingQuality;
  stored.channels = shown.stereo ? 2 : 1;
  stored.copyright = shown.copyright ? 1 : 0;
  stored.crc = shown.crc ? 1 : 0;
  stored.original = shown.original ? 1 : 0;
  stored.cbr = shown.cbr ? 1 : 0;
  return stored;
}

std::string Mp3EncodingQualityTip(int position) {
  // Two slider positions per description.
  static const char* const kTips[] = {
      "Encoding Quality: Best, slow",          "Encoding Quality: Near-best, not too slow",
      "Encoding Quality: Good, fast",          "Encoding Quality: Decent, very fast",
      "Encoding Quality: Low, lightning fast",
  };
  if (position < 0 || position > kMp3SliderMax) return {};
  return kTips[position / 2];
}
