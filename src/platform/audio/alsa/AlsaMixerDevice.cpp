#include "platform/audio/alsa/AlsaMixerDevice.h"

#include <strings.h>

#include <algorithm>
#include <cmath>

#include "platform/audio/MixerComponentType.h"

namespace {

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::optional<size_t> FindElement(const std::vector<AlsaElement>& elements, bool (*wanted)(const AlsaElement&),
                                  const std::string& name = {}) {
  for (size_t i = 0; i < elements.size(); ++i)
    if (wanted(elements[i]) && (name.empty() || SameName(elements[i].name, name))) return i;
  return std::nullopt;
}

bool HasVolume(const AlsaElement& e) { return e.captureVolume && e.volumeMax > e.volumeMin; }
bool IsSourceEnum(const AlsaElement& e) { return e.captureEnum && !e.enumItems.empty(); }

constexpr const char* kMasterName = "Capture";

MixerLayout MakeLayout(const AlsaMixerDevice::Plan& plan, const std::vector<AlsaElement>& elements) {
  using Device = AlsaMixerDevice;
  MixerLayout layout;
  MixerLine destination;
  destination.lineId = Device::kDestinationLineId;
  destination.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
  destination.shortName = kMasterName;
  destination.name = kMasterName;
  layout.lines.push_back(destination);
  if (plan.selection == AlsaMixerDevice::Selection::None) return layout;

  MixerLayoutControl selection;
  selection.lineId = destination.lineId;
  selection.control.controlId = Device::kSelectionControlId;
  selection.control.controlType = plan.selection == AlsaMixerDevice::Selection::Switches
                                      ? MIXERCONTROL_CONTROLTYPE_MIXER
                                      : MIXERCONTROL_CONTROLTYPE_MUX;
  selection.control.items = static_cast<uint32_t>(plan.ports.size());
  selection.control.shortName = "Source";
  selection.control.name = "Capture Source";
  selection.control.maximum = 1;
  std::vector<MixerLayoutControl> volumes;
  for (uint32_t port = 0; port < plan.ports.size(); ++port) {
    const AlsaMixerDevice::PortPlan& portPlan = plan.ports[port];
    MixerLine source;
    source.lineId = Device::kSourceLineId + port;
    source.componentType = ComponentTypeFromName(portPlan.name);
    source.shortName = source.name = portPlan.name;
    layout.lines.push_back(source);
    selection.items.push_back({source.lineId, 0, portPlan.name});
    if (!portPlan.volumeElement) continue;
    MixerLayoutControl volume;
    volume.lineId = source.lineId;
    volume.control.controlId = Device::kVolumeControlId + static_cast<uint32_t>(*portPlan.volumeElement);
    volume.control.controlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    volume.control.shortName = "Volume";
    volume.control.name = elements[*portPlan.volumeElement].name + " Volume";
    volume.control.maximum = Device::kMaxVolume;
    const AlsaElement& element = elements[*portPlan.volumeElement];
    volume.control.steps = static_cast<uint32_t>(element.volumeMax - element.volumeMin);
    volumes.push_back(volume);
  }
  layout.controls.push_back(selection);
  layout.controls.insert(layout.controls.end(), volumes.begin(), volumes.end());
  layout.CountControls();
  return layout;
}

uint32_t ToMixerVolume(const AlsaElement& element, long value) {
  const double range = static_cast<double>(element.volumeMax - element.volumeMin);
  const double fraction = std::clamp((value - element.volumeMin) / range, 0.0, 1.0);
  return static_cast<uint32_t>(std::lround(fraction * AlsaMixerDevice::kMaxVolume));
}

long FromMixerVolume(const AlsaElement& element, uint32_t value) {
  const double range = static_cast<double>(element.volumeMax - element.volumeMin);
  return element.volumeMin + std::lround(value * range / AlsaMixerDevice::kMaxVolume);
}

}  // namespace

AlsaMixerDevice::Plan AlsaMixerDevice::MakePlan(const std::vector<AlsaElement>& elements) {
  Plan plan;
  const std::optional<size_t> master = FindElement(elements, HasVolume, kMasterName);
  const auto volumeFor = [&](const std::string& name) {
    const std::optional<size_t> own = FindElement(elements, HasVolume, name);
    return own ? own : master;
  };
  if (const std::optional<size_t> source = FindElement(elements, IsSourceEnum)) {
    plan.selection = Selection::Enumeration;
    for (const std::string& item : elements[*source].enumItems) plan.ports.push_back({item, *source, volumeFor(item)});
    return plan;
  }
  std::vector<size_t> switches;
  for (size_t i = 0; i < elements.size(); ++i)
    if (elements[i].captureSwitch) switches.push_back(i);
  // The card's overall "Capture" switch mutes the recording; it is an input only when alone.
  if (switches.size() > 1) std::erase_if(switches, [&](size_t i) { return SameName(elements[i].name, kMasterName); });
  if (!switches.empty()) {
    plan.selection = Selection::Switches;
    for (size_t i : switches) plan.ports.push_back({elements[i].name, i, volumeFor(elements[i].name)});
    return plan;
  }
  const std::optional<size_t> only = master ? master : FindElement(elements, HasVolume);
  if (only) {
    plan.selection = Selection::Single;
    plan.ports.push_back({elements[*only].name, *only, only});
  }
  return plan;
}

AlsaMixerDevice::AlsaMixerDevice(std::string productName, std::unique_ptr<AlsaControlSource> controls, HWND notify)
    : MixerDeviceBase(std::move(productName), MakeLayout(MakePlan(controls->Elements()), controls->Elements()), notify),
      m_plan(MakePlan(controls->Elements())),
      m_controls(std::move(controls)) {
  m_controls->SetChangeCallback([this](size_t element) { OnElementChanged(element); });
}

void AlsaMixerDevice::OnElementChanged(size_t element) const {
  bool selection = false, volume = false;
  for (const PortPlan& port : m_plan.ports) {
    selection |= port.element == element && m_plan.selection != Selection::Single;
    volume |= port.volumeElement == element;
  }
  if (selection) NotifyControlChange(kSelectionControlId);
  if (volume) NotifyControlChange(kVolumeControlId + static_cast<uint32_t>(element));
}

HRESULT AlsaMixerDevice::ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) {
  if (control.control.controlId == kSelectionControlId) return ReadSelection(values);
  const size_t element = control.control.controlId - kVolumeControlId;
  long value = 0;
  const HRESULT hr = m_controls->GetVolume(element, &value);
  if (FAILED(hr)) return hr;
  values->assign(1, ToMixerVolume(m_controls->Elements()[element], value));
  return S_OK;
}

HRESULT AlsaMixerDevice::WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) {
  if (control.control.controlId == kSelectionControlId) return WriteSelection(values);
  const size_t element = control.control.controlId - kVolumeControlId;
  return m_controls->SetVolume(element, FromMixerVolume(m_controls->Elements()[element], values[0]));
}

HRESULT AlsaMixerDevice::ReadSelection(std::vector<uint32_t>* values) {
  std::vector<uint32_t> read(m_plan.ports.size(), 0);
  switch (m_plan.selection) {
    case Selection::Enumeration: {
      unsigned item = 0;
      const HRESULT hr = m_controls->GetEnumItem(m_plan.ports.front().element, &item);
      if (FAILED(hr)) return hr;
      if (item < read.size()) read[item] = 1;
      break;
    }
    case Selection::Switches:
      for (size_t port = 0; port < read.size(); ++port) {
        bool on = false;
        const HRESULT hr = m_controls->GetSwitch(m_plan.ports[port].element, &on);
        if (FAILED(hr)) return hr;
        read[port] = on ? 1 : 0;
      }
      break;
    case Selection::Single:
      read[0] = 1;
      break;
    case Selection::None:
      return E_UNEXPECTED;
  }
  *values = std::move(read);
  return S_OK;
}

HRESULT AlsaMixerDevice::WriteSelection(const std::vector<uint32_t>& values) {
  switch (m_plan.selection) {
    case Selection::Enumeration: {
      const auto selected = std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; });
      return m_controls->SetEnumItem(m_plan.ports.front().element, static_cast<unsigned>(selected - values.begin()));
    }
    case Selection::Switches:
      for (size_t port = 0; port < values.size(); ++port) {
        bool on = false;
        HRESULT hr = m_controls->GetSwitch(m_plan.ports[port].element, &on);
        if (SUCCEEDED(hr) && on != (values[port] != 0)) hr = m_controls->SetSwitch(m_plan.ports[port].element, !on);
        if (FAILED(hr)) return hr;
      }
      return S_OK;
    case Selection::Single:
      return S_OK;
    case Selection::None:
      break;
  }
  return E_UNEXPECTED;
}
