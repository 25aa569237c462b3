#pragma once
// The virtual device's mixer settings, shared by every mixer device opened on it and by its
// capture streams: which input port records and each port's recording volume. The volume of
// the selected port scales the captured signal.
//
// Threads: any thread; m_mutex guards m_selected, m_volumes and m_listeners. Listeners are
// called after the change under m_notifyMutex only, which RemoveListener also takes, so a
// removed listener is never called afterwards. Listeners must not call back into the state.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/audio/MixerTypes.h"

class VirtualMixerState {
 public:
  struct Port {
    const char* name;
    uint32_t componentType;
  };
  static constexpr std::array<Port, 3> kPorts{{{"Microphone", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE},
                                               {"Line In", MIXERLINE_COMPONENTTYPE_SRC_LINE},
                                               {"CD Audio", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC}}};
  static constexpr uint32_t kMaxVolume = 0xFFFF;

  size_t SelectedPort() const;
  void SelectPort(size_t port);
  uint32_t Volume(size_t port) const;
  void SetVolume(size_t port, uint32_t volume);
  // The selected port's volume as a factor, 0 to 1.
  double Gain() const;

  // Called with what changed: the selection (true) or a port's volume (false, port).
  using Listener = std::function<void(bool selection, size_t port)>;
  // Returns a key for RemoveListener.
  int AddListener(Listener listener);
  void RemoveListener(int key);

 private:
  void Notify(bool selection, size_t port) const;

  mutable std::mutex m_notifyMutex;
  mutable std::mutex m_mutex;
  size_t m_selected = 0;
  std::array<uint32_t, kPorts.size()> m_volumes{kMaxVolume, kMaxVolume, kMaxVolume};
  std::vector<std::pair<int, Listener>> m_listeners;
  int m_nextKey = 1;
};
