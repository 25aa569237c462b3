#pragma once
// What the MP3 settings page shows and stores, apart from its controls: the lines of its
// lists, the controls' state for a stored record, the record for the controls read back, and
// the encoding-quality slider's tip. A list left without a selection (its stored value is not
// among its lines) keeps the value that was read. Self-contained; any thread.

#include <optional>
#include <string>
#include <vector>

#include "settings/Mp3Configuration.h"

struct Mp3PageControls {
  // Selected lines; none when the stored value is not listed.
  std::optional<int> cbrBitrateLine;
  std::optional<int> vbrMinBitrateLine;
  std::optional<int> vbrMaxBitrateLine;
  std::optional<int> vbrQualityLine;
  std::optional<int> sampleRateLine;
  int encodingQuality = 5;  // slider position, 0 (best) to kMp3SliderMax
  bool copyright = false;
  bool crc = false;
  bool original = false;
  bool cbr = true;     // else VBR
  bool stereo = true;  // else mono

  bool operator==(const Mp3PageControls&) const = default;
};

inline constexpr int kMp3SliderMax = 9;

// kbit/s, shared by the CBR list and both VBR lists.
const std::vector<int>& Mp3Bitrates();
const std::vector<int>& Mp3VbrQualities();
const std::vector<int>& Mp3SampleRatesHz();

Mp3PageControls Mp3PageControlsFor(const Mp3Configuration& stored);
Mp3Configuration Mp3ConfigurationFrom(const Mp3PageControls& shown, const Mp3Configuration& read);

// The slider's tip for a position; empty outside 0 to 9.
std::string Mp3EncodingQualityTip(int position);
