#include "mixer/ui/AudioSourceSession.h"

#include <algorithm>
#include <climits>

#include "settings/SettingsStore.h"

namespace {

constexpr uint32_t kPreviewPossible = 1;

int ClampToInt(uint32_t value) { return static_cast<int>(std::min<uint32_t>(value, INT_MAX)); }

}  // namespace

uint32_t PreviewFlagsForPort(uint32_t previewFlags, uint32_t componentType) {
  return componentType == MIXERLINE_COMPONENTTYPE_SRC_ANALOG ? previewFlags & ~kPreviewPossible
                                                             : previewFlags | kPreviewPossible;
}

AudioSourceSession::AudioSourceSession(SettingsStore& settings) : m_settings(settings) {}

std::vector<std::string> AudioSourceSession::DeviceNames() {
  std::vector<std::string> names;
  for (int number = 0; number < m_mixer.GetDeviceCount(); ++number) {
    m_mixer.Open(nullptr, number);
    names.push_back(m_mixer.GetDeviceName());
    m_mixer.Close();
  }
  return names;
}

AudioSourceSession::OpenResult AudioSourceSession::OpenDevice(HWND notify, int index) {
  m_ports.clear();
  m_initialPort = -1;
  if (!m_mixer.Open(notify, index) || !m_mixer.EnumPorts(&m_ports) || m_ports.empty()) {
    m_ports.clear();
    return OpenResult::NoPorts;
  }
  m_initialPort = m_mixer.GetSelectedPort();
  if (m_initialPort < 0) return OpenResult::NoSelectedPort;
  AdjustPreviewFlag(m_initialPort);
  return OpenResult::Ready;
}

int AudioSourceSession::FollowSelectedPort() {
  const int port = m_mixer.GetSelectedPort();
  AdjustPreviewFlag(port);
  return port;
}

bool AudioSourceSession::SelectPort(int index) {
  const bool selected = m_mixer.SelectPort(index);
  AdjustPreviewFlag(index);
  return selected;
}

void AudioSourceSession::AdjustPreviewFlag(int port) {
  if (port < 0 || static_cast<size_t>(port) >= m_ports.size()) return;
  uint32_t flags = 0;
  m_settings.GetPreviewAudio(flags);
  m_settings.SetPreviewAudio(PreviewFlagsForPort(flags, m_ports[static_cast<size_t>(port)].componentType));
}

bool AudioSourceSession::PrepareSelectedPortVolume() {
  std::string name;
  return m_mixer.PreparePortVolume(m_mixer.GetSelectedPort(), &name);
}

AudioSourceSession::VolumeState AudioSourceSession::ReadVolume() {
  VolumeState state;
  if (!PrepareSelectedPortVolume()) return state;
  uint32_t minimum = 0;
  uint32_t maximum = 0;
  const int64_t volume = m_mixer.GetVolume(&minimum, &maximum);
  if (volume < 0) return state;
  state.enabled = true;
  state.minimum = ClampToInt(minimum);
  state.maximum = ClampToInt(std::max(minimum, maximum));
  state.tickInterval = (state.maximum - state.minimum) / 10;
  state.position = ClampToInt(static_cast<uint32_t>(volume));
  return state;
}

bool AudioSourceSession::SetVolume(int position) {
  return position >= 0 && PrepareSelectedPortVolume() && m_mixer.SetVolume(static_cast<uint32_t>(position));
}

AudioSourceSession::Change AudioSourceSession::ClassifyChange(WPARAM handle, LPARAM controlId) const {
  if (handle != m_mixer.Handle() || controlId < 0 || controlId > LPARAM{UINT32_MAX}) return Change::Other;
  const auto id = static_cast<uint32_t>(controlId);
  if (m_mixer.IsSelectionControl(id)) return Change::Selection;
  if (m_mixer.IsVolumeControl(id)) return Change::Volume;
  return Change::Other;
}
