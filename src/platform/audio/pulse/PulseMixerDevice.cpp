#include "platform/audio/pulse/PulseMixerDevice.h"

#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/volume.h>

#include <algorithm>
#include <cmath>

#include "platform/audio/MixerComponentType.h"
#include "platform/audio/pulse/PulseSources.h"

namespace {

// A source without ports records from the one input it is.
std::vector<PulsePort> PortsOf(const PulseSource& source) {
  if (!source.ports.empty()) return source.ports;
  return {{source.name, source.description, PA_DEVICE_PORT_TYPE_UNKNOWN}};
}

}  // namespace

uint32_t PulseMixerDevice::PortComponentType(const PulseSource& source, const PulsePort& port) {
  if (source.monitor) return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
  switch (port.type) {
    case PA_DEVICE_PORT_TYPE_MIC:
    case PA_DEVICE_PORT_TYPE_HEADSET:
    case PA_DEVICE_PORT_TYPE_HANDSET:
    case PA_DEVICE_PORT_TYPE_HANDSFREE:
      return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    case PA_DEVICE_PORT_TYPE_LINE:
      return MIXERLINE_COMPONENTTYPE_SRC_LINE;
    case PA_DEVICE_PORT_TYPE_AUX:
      return MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY;
    case PA_DEVICE_PORT_TYPE_SPDIF:
    case PA_DEVICE_PORT_TYPE_HDMI:
      return MIXERLINE_COMPONENTTYPE_SRC_DIGITAL;
    case PA_DEVICE_PORT_TYPE_PHONE:
      return MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE;
    default:
      break;
  }
  // Servers before 14.0, and PipeWire for some devices, leave the type unknown.
  const uint32_t byDescription = ComponentTypeFromName(port.description);
  return byDescription != MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED ? byDescription : ComponentTypeFromName(port.name);
}

uint32_t PulseMixerDevice::ToMixerVolume(uint32_t serverVolume) {
  const double scaled = std::round(static_cast<double>(serverVolume) * kMaxVolume / PA_VOLUME_NORM);
  return static_cast<uint32_t>(std::min<double>(scaled, kMaxVolume));
}

uint32_t PulseMixerDevice::ToServerVolume(uint32_t mixerVolume) {
  return static_cast<uint32_t>(std::round(static_cast<double>(mixerVolume) * PA_VOLUME_NORM / kMaxVolume));
}

MixerLayout PulseMixerDevice::MakeLayout(const PulseSource& source) {
  MixerLayout layout;
  MixerLine destination;
  destination.lineId = kDestinationLineId;
  destination.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
  destination.channels = std::max<uint32_t>(1, source.channels);
  destination.shortName = "Recording";
  destination.name = source.description;
  layout.lines.push_back(destination);

  const std::vector<PulsePort> ports = PortsOf(source);
  MixerLayoutControl selection;
  selection.lineId = kDestinationLineId;
  selection.control.controlId = kSelectionControlId;
  selection.control.controlType = MIXERCONTROL_CONTROLTYPE_MUX;
  selection.control.items = static_cast<uint32_t>(ports.size());
  selection.control.shortName = "Port";
  selection.control.name = "Input Port";
  selection.control.maximum = 1;
  layout.controls.push_back(selection);
  for (uint32_t port = 0; port < ports.size(); ++port) {
    MixerLine line;
    line.lineId = kSourceLineId + port;
    line.componentType = PortComponentType(source, ports[port]);
    line.channels = destination.channels;
    line.shortName = line.name = ports[port].description.empty() ? ports[port].name : ports[port].description;
    layout.lines.push_back(line);
    layout.controls.front().items.push_back({line.lineId, 0, line.name});

    MixerLayoutControl volume;
    volume.lineId = line.lineId;
    volume.control.controlId = kVolumeControlId;
    volume.control.controlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    volume.control.shortName = "Volume";
    volume.control.name = source.description + " Volume";
    volume.control.maximum = kMaxVolume;
    volume.control.steps = kMaxVolume;
    layout.controls.push_back(volume);
  }
  layout.CountControls();
  return layout;
}

HRESULT PulseMixerDevice::Open(std::unique_ptr<PulseConnection> connection, const PulseSource& source, HWND notify,
                               std::unique_ptr<AudioMixerDevice>* mixer) {
  if (!connection || mixer == nullptr) return E_POINTER;
  mixer->reset();
  auto device = std::make_unique<PulseMixerDevice>(std::move(connection), source, notify);
  const HRESULT hr = device->Follow();
  if (FAILED(hr)) return hr;
  *mixer = std::move(device);
  return S_OK;
}

PulseMixerDevice::PulseMixerDevice(std::unique_ptr<PulseConnection> connection, const PulseSource& source, HWND notify)
    : MixerDeviceBase(source.description, MakeLayout(source), notify),
      m_source(source),
      m_known(source),
      m_connection(std::move(connection)) {}

HRESULT PulseMixerDevice::Follow() {
  PulseConnection::Lock lock(*m_connection);
  pa_context* context = m_connection->Context();
  pa_context_set_subscribe_callback(context, &PulseMixerDevice::OnEvent, this);
  return m_connection->Run(
      [&](pa_context_success_cb_t done, void* outcome) {
        return pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SOURCE, done, outcome);
      },
      "The changes of \"" + m_source.description + "\" cannot be followed");
}

void PulseMixerDevice::OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* userdata) {
  auto* device = static_cast<PulseMixerDevice*>(userdata);
  if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SOURCE ||
      (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_CHANGE || index != device->m_source.index)
    return;
  pa_operation* operation =
      pa_context_get_source_info_by_index(context, index, &PulseMixerDevice::OnSourceInfo, device);
  if (operation != nullptr) pa_operation_unref(operation);
}

void PulseMixerDevice::OnSourceInfo(pa_context*, const pa_source_info* info, int eol, void* userdata) {
  if (eol != 0 || info == nullptr) return;
  auto* device = static_cast<PulseMixerDevice*>(userdata);
  const PulseSource now = ToPulseSource(*info);
  const bool portChanged = now.activePort != device->m_known.activePort;
  const bool volumeChanged = ToMixerVolume(now.volume) != ToMixerVolume(device->m_known.volume);
  device->m_known = now;
  if (portChanged) device->NotifyControlChange(kSelectionControlId);
  if (volumeChanged) device->NotifyControlChange(kVolumeControlId);
}

HRESULT PulseMixerDevice::ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) {
  PulseConnection::Lock lock(*m_connection);
  PulseSource now;
  const HRESULT hr = ReadPulseSource(*m_connection, m_source.name, &now);
  if (FAILED(hr)) return hr;
  if (control.control.controlId == kVolumeControlId) {
    values->assign(1, ToMixerVolume(now.volume));
    return S_OK;
  }
  const std::vector<PulsePort> ports = PortsOf(m_source);
  values->assign(ports.size(), 0);
  for (size_t port = 0; port < ports.size(); ++port)
    (*values)[port] = m_source.ports.empty() || ports[port].name == now.activePort ? 1 : 0;
  return S_OK;
}

HRESULT PulseMixerDevice::WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) {
  PulseConnection::Lock lock(*m_connection);
  pa_context* context = m_connection->Context();
  const std::string& source = m_source.name;
  if (control.control.controlId == kVolumeControlId) {
    PulseSource now;
    const HRESULT hr = ReadPulseSource(*m_connection, source, &now);
    if (FAILED(hr)) return hr;
    pa_cvolume volume;
    if (pa_cvolume_set(&volume, std::max<unsigned>(1, now.channels), ToServerVolume(values[0])) == nullptr)
      return E_INVALIDARG;
    return m_connection->Run(
        [&](pa_context_success_cb_t done, void* outcome) {
          return pa_context_set_source_volume_by_name(context, source.c_str(), &volume, done, outcome);
        },
        "The volume of \"" + m_source.description + "\" could not be set");
  }
  if (m_source.ports.empty()) return S_OK;
  const size_t selected = static_cast<size_t>(
      std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; }) - values.begin());
  const PulsePort& port = m_source.ports[selected];
  return m_connection->Run(
      [&](pa_context_success_cb_t done, void* outcome) {
        return pa_context_set_source_port_by_name(context, source.c_str(), port.name.c_str(), done, outcome);
      },
      "The input \"" + port.description + "\" of \"" + m_source.description + "\" could not be selected");
}
