#pragma once
// The wave mixer's vocabulary: lines (a destination such as the recording input, and the
// sources that can feed it), the controls on a line, and the numbers that name their kinds.
// The numeric values are the platform's, so stored and compared values keep their meaning.

#include <cstdint>
#include <string>

#include "platform/ui/Window.h"

constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;

constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED = 0x1000;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_DIGITAL = 0x1001;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE = 0x1006;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER = 0x1007;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_ANALOG = 0x100A;

constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MUX = 0x70010001;
constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MIXER = 0x71010001;
constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;

// Posted to a mixer's notify window: wParam the mixer's handle, lParam the line or control id.
constexpr UINT MM_MIXM_LINE_CHANGE = 0x3D0;
constexpr UINT MM_MIXM_CONTROL_CHANGE = 0x3D1;

struct MixerLine {
  uint32_t lineId = 0;
  uint32_t componentType = 0;
  uint32_t channels = 1;
  uint32_t controls = 0;  // how many controls the line has
  std::string shortName;
  std::string name;
};

struct MixerControl {
  uint32_t controlId = 0;
  uint32_t controlType = 0;
  uint32_t items = 0;  // list controls (MUX, MIXER): one per source line
  std::string shortName;
  std::string name;
  uint32_t minimum = 0;  // value controls (VOLUME)
  uint32_t maximum = 0;
  uint32_t steps = 0;
};

// One item of a list control: its text and, in `param1`, the line id of the source it stands for.
struct MixerListText {
  uint32_t param1 = 0;
  uint32_t param2 = 0;
  std::string name;
};
