#include "platform/audio/virtual/VirtualMixerState.h"

#include <algorithm>

size_t VirtualMixerState::SelectedPort() const {
  std::lock_guard lock(m_mutex);
  return m_selected;
}

void VirtualMixerState::SelectPort(size_t port) {
  {
    std::lock_guard lock(m_mutex);
    m_selected = std::min(port, kPorts.size() - 1);
  }
  Notify(true, port);
}

uint32_t VirtualMixerState::Volume(size_t port) const {
  std::lock_guard lock(m_mutex);
  return port < m_volumes.size() ? m_volumes[port] : 0;
}

void VirtualMixerState::SetVolume(size_t port, uint32_t volume) {
  {
    std::lock_guard lock(m_mutex);
    if (port >= m_volumes.size()) return;
    m_volumes[port] = std::min(volume, kMaxVolume);
  }
  Notify(false, port);
}

double VirtualMixerState::Gain() const {
  std::lock_guard lock(m_mutex);
  return static_cast<double>(m_volumes[m_selected]) / kMaxVolume;
}

int VirtualMixerState::AddListener(Listener listener) {
  std::lock_guard lock(m_mutex);
  m_listeners.emplace_back(m_nextKey, std::move(listener));
  return m_nextKey++;
}

void VirtualMixerState::RemoveListener(int key) {
  std::lock_guard notifying(m_notifyMutex);
  std::lock_guard lock(m_mutex);
  std::erase_if(m_listeners, [key](const auto& entry) { return entry.first == key; });
}

void VirtualMixerState::Notify(bool selection, size_t port) const {
  std::lock_guard notifying(m_notifyMutex);
  std::vector<Listener> listeners;
  {
    std::lock_guard lock(m_mutex);
    for (const auto& entry : m_listeners) listeners.push_back(entry.second);
  }
  for (const Listener& listener : listeners) listener(selection, port);
}
