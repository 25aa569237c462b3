#include "platform/audio/MixerLayout.h"

#include <algorithm>

const MixerLine* MixerLayout::LineById(uint32_t lineId) const {
  const auto found = std::find_if(lines.begin(), lines.end(), [&](const MixerLine& l) { return l.lineId == lineId; });
  return found == lines.end() ? nullptr : &*found;
}

const MixerLayoutControl* MixerLayout::ControlById(uint32_t controlId) const {
  const auto found = std::find_if(controls.begin(), controls.end(),
                                  [&](const MixerLayoutControl& c) { return c.control.controlId == controlId; });
  return found == controls.end() ? nullptr : &*found;
}

void MixerLayout::CountControls() {
  for (MixerLine& line : lines)
    line.controls = static_cast<uint32_t>(std::count_if(
        controls.begin(), controls.end(), [&](const MixerLayoutControl& c) { return c.lineId == line.lineId; }));
}
