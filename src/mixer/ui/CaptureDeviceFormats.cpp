#include "mixer/ui/CaptureDeviceFormats.h"

#include <string>
#include <vector>

#include "engine/FilterCategoryEnumerator.h"
#include "engine/GraphHelpers.h"

HRESULT ReadCaptureDeviceFormats(int position, DeviceFormatChoices* choices) {
  if (choices == nullptr) return E_POINTER;
  AudioDeviceEnumerator devices;
  const std::vector<std::string> names = devices.ListDevices();
  if (position < 0 || static_cast<size_t>(position) >= names.size()) return VFW_E_NOT_FOUND;
  std::shared_ptr<IBaseFilter> device;
  if (!devices.BindDevice(names[static_cast<size_t>(position)], &device)) return E_UNEXPECTED;
  auto* config = FirstOutputPinInterface<IAMStreamConfig>(device.get());
  if (config == nullptr) return E_UNEXPECTED;
  int count = 0;
  int size = 0;
  HRESULT hr = config->GetNumberOfCapabilities(&count, &size);
  if (FAILED(hr)) return hr;
  DeviceFormatChoices found = *choices;
  for (int index = 0; index < count; ++index) {
    AM_MEDIA_TYPE type;
    AUDIO_STREAM_CONFIG_CAPS caps;
    if (config->GetStreamCaps(index, &type, &caps) != S_OK) continue;
    if (const std::optional<WAVEFORMATEX> format = WaveFormatOf(type)) found.AddCapability(*format, caps);
  }
  *choices = std::move(found);
  return S_OK;
}
