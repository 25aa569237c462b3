// What the export format pages show for a stored record and store for their controls, without
// widgets: list lines, selection of stored values, values not in a list, the sliders' ranges
// and tips.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formats/Mp3PageModel.h"
#include "formats/OggPageModel.h"
#include "formats/WavPageModel.h"

namespace {

TEST(Mp3PageModel, ListsHoldTheirValuesInOrder) {
  EXPECT_EQ(Mp3Bitrates(), (std::vector<int>{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}));
  EXPECT_EQ(Mp3VbrQualities(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(Mp3SampleRatesHz(), (std::vector<int>{32000, 44100, 48000}));
}

TEST(Mp3PageModel, TheDefaultRecordSelectsItsLinesAndReadsBackUnchanged) {
  const Mp3PageControls shown = Mp3PageControlsFor(Mp3Configuration());
  EXPECT_EQ(shown.cbrBitrateLine, 8);
  EXPECT_EQ(shown.vbrMinBitrateLine, 4);
  EXPECT_EQ(shown.vbrMaxBitrateLine, 8);
  EXPECT_EQ(shown.vbrQualityLine, 4);
  EXPECT_EQ(shown.sampleRateLine, 1);
  EXPECT_EQ(shown.encodingQuality, 5);
  EXPECT_TRUE(shown.cbr);
  EXPECT_TRUE(shown.stereo);
  EXPECT_EQ(Mp3ConfigurationFrom(shown, Mp3Configuration()), Mp3Configuration());
}

TEST(Mp3PageModel, EveryFieldIsReadBackFromItsControl) {
  Mp3PageControls shown;
  shown.cbrBitrateLine = 10;  // 192
  shown.vbrMinBitrateLine = 13;
  shown.vbrMaxBitrateLine = 0;
  shown.vbrQualityLine = 9;
  shown.sampleRateLine = 2;
  shown.encodingQuality = 0;
  shown.copyright = true;
  shown.crc = true;
  shown.original = true;
  shown.cbr = false;
  shown.stereo = false;
  const Mp3Configuration stored = Mp3ConfigurationFrom(shown, Mp3Configuration());
  EXPECT_EQ(stored.cbrBitrateKbps, 192);
  // No order between minimum and maximum is enforced.
  EXPECT_EQ(stored.vbrMinBitrateKbps, 320);
  EXPECT_EQ(stored.vbrMaxBitrateKbps, 32);
  EXPECT_EQ(stored.vbrQuality, 9);
  EXPECT_EQ(stored.outputSampleRateHz, 48000);
  EXPECT_EQ(stored.encodingQuality, 0);
  EXPECT_EQ(stored.channels, 1);
  EXPECT_EQ(stored.copyright, 1);
  EXPECT_EQ(stored.crc, 1);
  EXPECT_EQ(stored.original, 1);
  EXPECT_EQ(stored.cbr, 0);
  EXPECT_EQ(Mp3PageControlsFor(stored), shown);
}

TEST(Mp3PageModel, AValueNotListedLeavesNoSelectionAndIsKeptOnApply) {
  Mp3Configuration odd;
  odd.cbrBitrateKbps = 150;
  odd.outputSampleRateHz = 22050;
  odd.vbrQuality = -3;
  odd.encodingQuality = 42;
  odd.channels = 6;
  odd.cbr = 7;
  const Mp3PageControls shown = Mp3PageControlsFor(odd);
  EXPECT_FALSE(shown.cbrBitrateLine);
  EXPECT_FALSE(shown.sampleRateLine);
  EXPECT_FALSE(shown.vbrQualityLine);
  EXPECT_EQ(shown.encodingQuality, kMp3SliderMax);
  EXPECT_TRUE(shown.stereo);  // anything but 1 channel shows Stereo
  EXPECT_FALSE(shown.cbr);    // only 1 means CBR
  const Mp3Configuration stored = Mp3ConfigurationFrom(shown, odd);
  EXPECT_EQ(stored.cbrBitrateKbps, 150);
  EXPECT_EQ(stored.outputSampleRateHz, 22050);
  EXPECT_EQ(stored.vbrQuality, -3);
  EXPECT_EQ(stored.channels, 2);
  EXPECT_EQ(stored.cbr, 0);
}

TEST(Mp3PageModel, SliderTipsGoByPairsOfPositions) {
  const char* const expected[] = {"Encoding Quality: Best, slow",
                                  "Encoding Quality: Best, slow",
                                  "Encoding Quality: Near-best, not too slow",
                                  "Encoding Quality: Near-best, not too slow",
                                  "Encoding Quality: Good, fast",
                                  "Encoding Quality: Good, fast",
                                  "Encoding Quality: Decent, very fast",
                                  "Encoding Quality: Decent, very fast",
                                  "Encoding Quality: Low, lightning fast",
                                  "Encoding Quality: Low, lightning fast"};
  for (int position = 0; position <= 9; ++position) EXPECT_EQ(Mp3EncodingQualityTip(position), expected[position]);
  EXPECT_EQ(Mp3EncodingQualityTip(-1), "");
  EXPECT_EQ(Mp3EncodingQualityTip(10), "");
}

TEST(OggPageModel, ListsTenBitratesWithout192) {
  EXPECT_EQ(OggBitrates(), (std::vector<int>{64, 80, 96, 112, 128, 160, 224, 256, 320, 500}));
}

TEST(OggPageModel, QualityDropsItsFractionAndStaysInTheSlidersRange) {
  const auto sliderFor = [](double quality) {
    OggConfiguration stored;
    stored.quality = quality;
    return OggPageControlsFor(stored).qualitySlider;
  };
  EXPECT_EQ(sliderFor(42.9), 42);
  EXPECT_EQ(sliderFor(100), 100);
  EXPECT_EQ(sliderFor(-7.5), 0);
  EXPECT_EQ(sliderFor(1e300), 100);
  EXPECT_EQ(sliderFor(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(OggPageModel, BitratesAndStrategyAreStoredWhicheverIsChosen) {
  OggPageControls shown;
  shown.minBitrateLine = 9;
  shown.averageBitrateLine = std::nullopt;
  shown.maxBitrateLine = 0;
  shown.qualitySlider = 73;
  shown.qualityBased = false;
  OggConfiguration read;
  read.averageBitrateKbps = 192;  // not listed: kept
  const OggConfiguration stored = OggConfigurationFrom(shown, read);
  EXPECT_EQ(stored.minBitrateKbps, 500);
  EXPECT_EQ(stored.averageBitrateKbps, 192);
  EXPECT_EQ(stored.maxBitrateKbps, 64);
  EXPECT_EQ(stored.qualityBased, 0);
  EXPECT_EQ(stored.quality, 73.0);
}

TEST(OggPageModel, SliderTipNamesThePosition) {
  EXPECT_EQ(OggQualityTip(0), "Ogg Quality level: 0");
  EXPECT_EQ(OggQualityTip(85), "Ogg Quality level: 85");
}

std::vector<WavCompressorLine> Lines(int count) {
  std::vector<WavCompressorLine> lines;
  // Enumeration positions with gaps, as never-offered names leave them.
  for (int line = 0; line < count; ++line) lines.push_back({"Compressor " + std::to_string(line), line * 2 + 1});
  return lines;
}

TEST(WavPageModel, AStoredCompressorSelectsItsListLineWhateverTheListHolds) {
  EXPECT_EQ(WavPageControlsFor(WavConfiguration{5, 2}, 3), (WavPageControls{true, 2}));
  EXPECT_EQ(WavPageControlsFor(WavConfiguration{5, 2}, 8), (WavPageControls{true, 2}));
  // Fewer lines than before: nothing is selected.
  EXPECT_EQ(WavPageControlsFor(WavConfiguration{5, 2}, 2), (WavPageControls{true, std::nullopt}));
  EXPECT_EQ(WavPageControlsFor(WavConfiguration{5, -9}, 2), (WavPageControls{true, std::nullopt}));
  EXPECT_EQ(WavPageControlsFor(WavConfiguration(), 3), (WavPageControls{false, 0}));
  EXPECT_EQ(WavPageControlsFor(WavConfiguration(), 0), (WavPageControls{false, std::nullopt}));
}

TEST(WavPageModel, CompressedStoresTheLinesEnumerationPositionAndTheLine) {
  EXPECT_EQ(WavConfigurationFrom({true, 2}, Lines(3), WavConfiguration()), (WavConfiguration{5, 2}));
  // Without a line to take (an empty list) the record read stays.
  EXPECT_EQ(WavConfigurationFrom({true, std::nullopt}, {}, WavConfiguration{5, 2}), (WavConfiguration{5, 2}));
  EXPECT_EQ(WavConfigurationFrom({true, std::nullopt}, {}, WavConfiguration()), WavConfiguration());
}

}  // namespace
