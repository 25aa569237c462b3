#pragma once
// A mixer described as data: its lines and the controls on them. Backends build one from what
// their device offers and hand it to MixerDeviceBase, which answers the lookups from it.

#include <cstdint>
#include <vector>

#include "platform/audio/MixerTypes.h"

struct MixerLayoutControl {
  uint32_t lineId = 0;  // the line the control belongs to
  MixerControl control;
  std::vector<MixerListText> items;  // list controls only
};

struct MixerLayout {
  std::vector<MixerLine> lines;
  std::vector<MixerLayoutControl> controls;

  // Null when there is none.
  const MixerLine* LineById(uint32_t lineId) const;
  const MixerLayoutControl* ControlById(uint32_t controlId) const;
  // Fills in each line's control count from `controls`.
  void CountControls();
};
