#include "engine/CaptureSource.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/FilterCategoryEnumerator.h"
#include "engine/GraphHelpers.h"
#include "platform/media/StreamConfig.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"

DeviceSettings CurrentDeviceSettings(SettingsStore& settings) {
  int position = 0;
  settings.GetCurrentDevice(position);
  DeviceSettings device;
  settings.GetDeviceSettings(position, device);
  return device;
}

HRESULT AddCaptureSource(IGraphBuilder* graph, SettingsStore& settings, int exportFormat,
                         std::shared_ptr<IBaseFilter>* filter) {
  if (graph == nullptr || filter == nullptr) return E_POINTER;
  AudioDeviceEnumerator devices;
  const std::vector<std::string> names = devices.ListDevices();
  int position = 0;
  settings.GetCurrentDevice(position);
  if (position < 0 || static_cast<size_t>(position) >= names.size()) {
    SetErrorInfo(names.empty() ? "No capture device was found."
                               : "The chosen capture device (number " + std::to_string(position) +
                                     ") does not exist; " + std::to_string(names.size()) + " device(s) present.");
    return E_UNEXPECTED;
  }
  std::shared_ptr<IBaseFilter> source;
  if (!devices.BindDevice(names[static_cast<size_t>(position)], &source)) {
    SetErrorInfo("The capture device \"" + names[static_cast<size_t>(position)] + "\" could not be opened.");
    return E_UNEXPECTED;
  }
  HRESULT hr = graph->AddFilter(source, "Audio Source");
  if (FAILED(hr)) return hr;
  hr = ApplyStreamFormat(source.get(), settings, exportFormat);
  *filter = source;
  return hr;
}

HRESULT ApplyStreamFormat(IBaseFilter* filter, SettingsStore& settings, int exportFormat) {
  if (filter == nullptr) return E_POINTER;
  const DeviceSettings device = CurrentDeviceSettings(settings);
  const uint16_t bits = exportFormat == kFormatOgg ? 16 : device.bitsPerSample;
  auto* config = FirstOutputPinInterface<IAMStreamConfig>(filter);
  if (config == nullptr) return E_UNEXPECTED;
  AM_MEDIA_TYPE type;
  HRESULT hr = config->GetFormat(&type);
  if (FAILED(hr)) return hr;
  std::optional<WAVEFORMATEX> format = WaveFormatOf(type);
  if (!format) return VFW_E_INVALIDMEDIATYPE;
  format->nChannels = device.channels;
  format->nSamplesPerSec = device.samplesPerSec;
  format->wBitsPerSample = bits;
  format->nBlockAlign = static_cast<uint16_t>(device.channels * bits / 8);
  format->nAvgBytesPerSec = device.samplesPerSec * format->nBlockAlign;
  // Only the record's fixed fields change; any extra bytes stay as the device gave them.
  const std::vector<uint8_t> extra(
      type.format.begin() + static_cast<long>(std::min(type.format.size(), kWaveFormatExBytes)), type.format.end());
  type.format = EncodeWaveFormat(*format, extra);
  type.lSampleSize = format->nBlockAlign;
  return config->SetFormat(&type);
}

HRESULT ApplyLatency(IBaseFilter* filter, SettingsStore& settings) {
  if (filter == nullptr) return E_POINTER;
  const DeviceSettings device = CurrentDeviceSettings(settings);
  auto* negotiation = FirstOutputPinInterface<IAMBufferNegotiation>(filter);
  if (negotiation == nullptr) return E_UNEXPECTED;
  ALLOCATOR_PROPERTIES properties;
  HRESULT hr = negotiation->GetAllocatorProperties(&properties);
  if (FAILED(hr)) return hr;
  // Truncates toward zero; computed wide and capped so a huge stored latency cannot wrap
  // into a negative buffer size.
  const int64_t scaled = static_cast<int64_t>(properties.cbBuffer) * 2 * device.latencyMs / 1000;
  properties.cbBuffer = static_cast<long>(std::min<int64_t>(scaled, INT32_MAX));
  return negotiation->SuggestAllocatorProperties(&properties);
}
