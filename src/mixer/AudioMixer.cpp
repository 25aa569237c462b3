#include "mixer/AudioMixer.h"

#include <algorithm>

#include "platform/audio/AudioBackendSelection.h"

AudioMixer::AudioMixer() : AudioMixer(CurrentAudioBackend()) {}

AudioMixer::AudioMixer(std::shared_ptr<AudioBackend> backend) : m_backend(std::move(backend)) {}

AudioMixer::~AudioMixer() { Close(); }

int AudioMixer::GetDeviceCount() {
  if (m_deviceCount < 0) m_deviceCount = m_backend ? std::max(0, m_backend->MixerCount()) : 0;
  return m_deviceCount;
}

bool AudioMixer::Open(HWND notify, int number) {
  const int count = GetDeviceCount();
  if (count == 0 || number < 0 || number >= count) return false;
  Close();
  m_ports.clear();
  m_destinationName.clear();
  m_selectionReady = false;
  m_volumeReady = false;
  m_mixerNumber = number;
  m_backend->OpenMixer(number, notify, &m_device);
  m_productName = m_device ? m_device->ProductName() : "";
  return true;
}

HRESULT AudioMixer::Close() {
  if (!m_device) return S_FALSE;
  m_device.reset();
  m_mixerNumber = -1;
  return S_OK;
}

std::string AudioMixer::GetDeviceName() { return m_device ? m_productName : ""; }

WPARAM AudioMixer::Handle() const { return m_device ? m_device->Handle() : 0; }

bool AudioMixer::EnumPorts(std::vector<Port>* ports) {
  if (ports == nullptr) return false;
  if (!m_ports.empty()) {
    *ports = m_ports;
    return true;
  }
  if (!m_device) return false;
  MixerLine destination;
  if (FAILED(m_device->GetLineInfoByComponentType(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, &destination))) return false;
  MixerControl selection;
  if (FAILED(m_device->GetLineControlByType(destination.lineId, MIXERCONTROL_CONTROLTYPE_MUX, &selection)) &&
      FAILED(m_device->GetLineControlByType(destination.lineId, MIXERCONTROL_CONTROLTYPE_MIXER, &selection)))
    return false;
  m_selectionControlType = selection.controlType;
  m_destinationName = destination.name;
  m_selectionControlId = selection.controlId;
  m_selectionItems = selection.items;
  m_selectionReady = true;
  if (selection.items == 0) return false;
  std::vector<MixerListText> items;
  if (FAILED(m_device->GetControlListText(selection.controlId, &items))) return false;
  std::vector<Port> found;
  for (const MixerListText& item : items) {
    MixerLine source;
    if (FAILED(m_device->GetLineInfoById(item.param1, &source))) return false;
    found.push_back({item.name, source.componentType, source.lineId});
  }
  m_ports = std::move(found);
  *ports = m_ports;
  return true;
}

bool AudioMixer::ReadSelection(std::vector<uint32_t>* values) {
  if (!m_device || !m_selectionReady) return false;
  if (FAILED(m_device->GetControlValues(m_selectionControlId, values))) return false;
  return values->size() == m_selectionItems;
}

int AudioMixer::GetSelectedPort() {
  std::vector<uint32_t> values;
  if (!ReadSelection(&values)) return -1;
  const auto selected = std::find_if(values.begin(), values.end(), [](uint32_t v) { return v != 0; });
  return selected == values.end() ? -1 : static_cast<int>(selected - values.begin());
}

bool AudioMixer::SelectPort(int index) {
  std::vector<uint32_t> values;
  if (!ReadSelection(&values) || index < 0 || static_cast<size_t>(index) >= values.size()) return false;
  if (m_selectionControlType == MIXERCONTROL_CONTROLTYPE_MUX) std::fill(values.begin(), values.end(), 0);
  values[static_cast<size_t>(index)] = 1;
  return SUCCEEDED(m_device->SetControlValues(m_selectionControlId, values));
}

bool AudioMixer::PreparePortVolume(int index, std::string* name) {
  if (!m_device || index < 0 || static_cast<size_t>(index) >= m_ports.size()) return false;
  MixerLine line;
  if (FAILED(m_device->GetLineInfoById(m_ports[static_cast<size_t>(index)].lineId, &line))) return false;
  MixerControl volume;
  if (FAILED(m_device->GetLineControlByType(line.lineId, MIXERCONTROL_CONTROLTYPE_VOLUME, &volume))) return false;
  m_volumeControlId = volume.controlId;
  m_volumeMinimum = volume.minimum;
  m_volumeMaximum = volume.maximum;
  m_volumeReady = true;
  if (name) *name = volume.shortName;
  return true;
}

int64_t AudioMixer::GetVolume(uint32_t* minimum, uint32_t* maximum) {
  if (minimum) *minimum = m_volumeMinimum;
  if (maximum) *maximum = m_volumeMaximum;
  std::vector<uint32_t> values;
  if (!m_device || !m_volumeReady || FAILED(m_device->GetControlValues(m_volumeControlId, &values)) || values.empty())
    return -1;
  return values[0];
}

bool AudioMixer::SetVolume(uint32_t value) {
  return m_device && m_volumeReady && SUCCEEDED(m_device->SetControlValues(m_volumeControlId, {value}));
}
