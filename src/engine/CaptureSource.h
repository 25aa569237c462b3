#pragma once
// The capture source of the recording graph: the device chosen in "Current Device", with the
// sampling format and latency stored for it in "Device Settings %d".

#include <memory>

#include "platform/media/Graph.h"
#include "settings/DeviceSettings.h"

class SettingsStore;

// The device settings record stored for "Current Device" (defaults when missing).
DeviceSettings CurrentDeviceSettings(SettingsStore& settings);

// Binds the current device and adds it as "Audio Source" with the format for `exportFormat`.
// E_UNEXPECTED when the stored position names no device.
HRESULT AddCaptureSource(IGraphBuilder* graph, SettingsStore& settings, int exportFormat,
                         std::shared_ptr<IBaseFilter>* filter);
// Sets channels, rate and bits (16 for Ogg) on the capture pin through IAMStreamConfig.
HRESULT ApplyStreamFormat(IBaseFilter* filter, SettingsStore& settings, int exportFormat);
// Scales the capture buffer by the stored latency through IAMBufferNegotiation.
HRESULT ApplyLatency(IBaseFilter* filter, SettingsStore& settings);
