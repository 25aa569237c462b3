#include "engine/VorbisSettingsPush.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/CaptureSource.h"
#include "engine/GraphHelpers.h"
#include "filters/VorbisFormat.h"
#include "platform/media/StreamConfig.h"
#include "settings/SettingsStore.h"

namespace {

constexpr double kSliderMaximum = 100.0;

int32_t BitsPerSecond(int32_t kilobits) {
  const int64_t bits = static_cast<int64_t>(kilobits) * 1000;
  return static_cast<int32_t>(
      std::clamp<int64_t>(bits, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A stored position outside the slider's range would leave quality mode for bitrate
// management; hold it to the slider instead.
float QualityOf(const OggConfiguration& ogg) {
  if (ogg.qualityBased == 0) return -1.0f;
  const double position = std::isnan(ogg.quality) ? 0.0 : std::clamp(ogg.quality, 0.0, kSliderMaximum);
  return static_cast<float>(position * 0.011 - 0.1);
}

}  // namespace

HRESULT PushVorbisSettings(IBaseFilter* encoder, SettingsStore& settings) {
  if (encoder == nullptr) return E_POINTER;
  auto* config = FirstOutputPinInterface<IAMStreamConfig>(encoder);
  if (config == nullptr) return E_NOINTERFACE;
  AM_MEDIA_TYPE type;
  HRESULT hr = config->GetFormat(&type);
  if (FAILED(hr)) return hr;
  std::optional<VORBISFORMAT> format = DecodeVorbisFormat(type.format);
  if (!format) return VFW_E_INVALIDMEDIATYPE;

  OggConfiguration ogg;
  settings.GetOggConfiguration(ogg);
  const DeviceSettings device = CurrentDeviceSettings(settings);
  format->nMinBitsPerSec = BitsPerSecond(ogg.minBitrateKbps);
  format->nAvgBitsPerSec = BitsPerSecond(ogg.averageBitrateKbps);
  format->nMaxBitsPerSec = BitsPerSecond(ogg.maxBitrateKbps);
  format->fQuality = QualityOf(ogg);
  format->nChannels = device.channels;
  format->nSamplesPerSec = static_cast<int32_t>(device.samplesPerSec);
  type.format = EncodeVorbisFormat(*format);
  return config->SetFormat(&type);
}
