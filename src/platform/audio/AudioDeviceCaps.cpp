#include "platform/audio/AudioDeviceCaps.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string BitsList(const std::vector<uint16_t>& bits) {
  std::string text;
  for (size_t i = 0; i < bits.size(); ++i) {
    if (i > 0) text += i + 1 == bits.size() ? " or " : ", ";
    text += std::to_string(bits[i]);
  }
  return text;
}

}  // namespace

HRESULT AudioDeviceCaps::Check(const WAVEFORMATEX& format, std::string* reason) const {
  char text[160];
  text[0] = '\0';
  if (format.wFormatTag != WAVE_FORMAT_PCM) {
    std::snprintf(text, sizeof text, "The format is not PCM (format tag 0x%04X).", format.wFormatTag);
  } else if (std::find(bitsPerSample.begin(), bitsPerSample.end(), format.wBitsPerSample) == bitsPerSample.end()) {
    std::snprintf(text, sizeof text, "%u bits per sample are not supported; the device takes %s.",
                  format.wBitsPerSample, BitsList(bitsPerSample).c_str());
  } else if (format.nChannels < minChannels || format.nChannels > maxChannels) {
    std::snprintf(text, sizeof text, "%u channels are not supported; the device takes %u to %u.", format.nChannels,
                  minChannels, maxChannels);
  } else if (format.nSamplesPerSec < minRateHz || format.nSamplesPerSec > maxRateHz) {
    std::snprintf(text, sizeof text, "%u Hz is not supported; the device takes %u to %u Hz.", format.nSamplesPerSec,
                  minRateHz, maxRateHz);
  } else if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8 ||
             format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign) {
    std::snprintf(
        text, sizeof text, "The block alignment (%u) or byte rate (%u) does not match %u channels of %u bits at %u Hz.",
        format.nBlockAlign, format.nAvgBytesPerSec, format.nChannels, format.wBitsPerSample, format.nSamplesPerSec);
  }
  if (text[0] == '\0') return S_OK;
  if (reason) *reason = text;
  return VFW_E_INVALIDMEDIATYPE;
}

AudioDeviceCaps ConvertedCaps() {
  AudioDeviceCaps caps;
  caps.minRateHz = 4000;
  caps.maxRateHz = 192000;
  caps.minChannels = 1;
  caps.maxChannels = 8;
  caps.bitsPerSample = {8, 16, 24, 32};
  return caps;
}
