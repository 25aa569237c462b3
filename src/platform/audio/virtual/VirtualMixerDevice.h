#pragma once
// A mixer device on the virtual audio system: a recording destination fed by the ports of
// VirtualMixerState through a MUX, each port with a VOLUME control from 0 to 65535. Changes
// from any device on the same state are posted to every open device's notify window.

#include <memory>

#include "platform/audio/MixerDeviceBase.h"
#include "platform/audio/virtual/VirtualMixerState.h"

class VirtualMixerDevice : public MixerDeviceBase {
 public:
  VirtualMixerDevice(std::shared_ptr<VirtualMixerState> state, HWND notify);
  ~VirtualMixerDevice() override;

  static constexpr uint32_t kDestinationLineId = 0xFFFF0000;
  static constexpr uint32_t kSourceLineId = 0x10000;  // + port
  static constexpr uint32_t kMuxControlId = 1;
  static constexpr uint32_t kVolumeControlId = 2;  // + port

 protected:
  HRESULT ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) override;
  HRESULT WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) override;

 private:
  const std::shared_ptr<VirtualMixerState> m_state;
  int m_listenerKey = 0;
};
