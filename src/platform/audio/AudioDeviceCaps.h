#pragma once
// What a device can capture or play: the ranges a backend probed, and the check that a
// wave format record falls inside them.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

struct AudioDeviceCaps {
  uint32_t minRateHz = 0;
  uint32_t maxRateHz = 0;
  uint16_t minChannels = 0;
  uint16_t maxChannels = 0;
  std::vector<uint16_t> bitsPerSample;  // integer PCM sample sizes, ascending

  // S_OK when the device takes `format` (integer PCM, consistent block alignment and byte
  // rate, inside the ranges); otherwise VFW_E_INVALIDMEDIATYPE and a sentence in `reason`.
  HRESULT Check(const WAVEFORMATEX& format, std::string* reason) const;
};

// What a conversion layer between us and the hardware (ALSA's plug layer, a sound server)
// accepts whatever the device itself takes.
AudioDeviceCaps ConvertedCaps();
