#include "platform/audio/virtual/VirtualMixerDevice.h"

#include <algorithm>

namespace {

MixerLayout VirtualLayout() {
  MixerLayout layout;
  MixerLine destination;
  destination.lineId = VirtualMixerDevice::kDestinationLineId;
  destination.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
  destination.channels = 2;
  destination.shortName = "Recording";
  destination.name = "Recording Control";
  layout.lines.push_back(destination);

  MixerLayoutControl mux;
  mux.lineId = destination.lineId;
  mux.control.controlId = VirtualMixerDevice::kMuxControlId;
  mux.control.controlType = MIXERCONTROL_CONTROLTYPE_MUX;
  mux.control.items = static_cast<uint32_t>(VirtualMixerState::kPorts.size());
  mux.control.shortName = "Mux";
  mux.control.name = "Recording Source";
  mux.control.maximum = 1;
  for (uint32_t port = 0; port < VirtualMixerState::kPorts.size(); ++port) {
    const uint32_t lineId = VirtualMixerDevice::kSourceLineId + port;
    MixerLine source;
    source.lineId = lineId;
    source.componentType = VirtualMixerState::kPorts[port].componentType;
    source.channels = 2;
    source.shortName = source.name = VirtualMixerState::kPorts[port].name;
    layout.lines.push_back(source);
    mux.items.push_back({lineId, 0, source.name});

    MixerLayoutControl volume;
    volume.lineId = lineId;
    volume.control.controlId = VirtualMixerDevice::kVolumeControlId + port;
    volume.control.controlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    volume.control.shortName = "Volume";
    volume.control.name = source.name + " Volume";
    volume.control.maximum = VirtualMixerState::kMaxVolume;
    volume.control.steps = VirtualMixerState::kMaxVolume;
    layout.controls.push_back(volume);
  }
  layout.controls.insert(layout.controls.begin(), mux);
  layout.CountControls();
  return layout;
}

}  // namespace

VirtualMixerDevice::VirtualMixerDevice(std::shared_ptr<VirtualMixerState> state, HWND notify)
    : MixerDeviceBase("Virtual Audio Mixer", VirtualLayout(), notify), m_state(std::move(state)) {
  m_listenerKey = m_state->AddListener([this](bool selection, size_t port) {
    NotifyControlChange(selection ? kMuxControlId : kVolumeControlId + static_cast<uint32_t>(port));
  });
}

VirtualMixerDevice::~VirtualMixerDevice() { m_state->RemoveListener(m_listenerKey); }

HRESULT VirtualMixerDevice::ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) {
  const uint32_t id = control.control.controlId;
  if (id == kMuxControlId) {
    values->assign(VirtualMixerState::kPorts.size(), 0);
    (*values)[m_state->SelectedPort()] = 1;
  } else {
    values->assign(1, m_state->Volume(id - kVolumeControlId));
  }
  return S_OK;
}

HRESULT VirtualMixerDevice::WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) {
  const uint32_t id = control.control.controlId;
  if (id == kMuxControlId) {
    const auto selected = std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; });
    m_state->SelectPort(static_cast<size_t>(selected - values.begin()));
  } else {
    m_state->SetVolume(id - kVolumeControlId, values[0]);
  }
  return S_OK;
}
