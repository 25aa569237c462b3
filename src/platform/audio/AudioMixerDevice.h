#pragma once
// One open mixer device of an audio backend: the wave mixer operations, addressed by line and
// control ids. Every call reports failure by its result and then has changed nothing. Values
// are read and written for one channel: a read gives the first channel's, a write sets every
// channel. List controls (MUX, MIXER) carry one value per item, nonzero for a selected item.
//
// While the device is open, a change of any of its controls, by this process or another, is
// posted to the notify window given at open as MM_MIXM_CONTROL_CHANGE with the device's
// Handle() and the control id.
//
// Threads: the operations come from the thread that opened the device (the user-interface
// thread); notifications are posted from a thread of the backend's. Destroying the device
// stops the notifications before it returns.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/MixerTypes.h"
#include "platform/media/HResult.h"

class AudioMixerDevice {
 public:
  virtual ~AudioMixerDevice() = default;

  // What the notifications carry as wParam.
  WPARAM Handle() const { return reinterpret_cast<WPARAM>(this); }

  // The device's product name.
  virtual std::string ProductName() = 0;

  // VFW_E_NOT_FOUND when the device has no line of that type or id.
  virtual HRESULT GetLineInfoByComponentType(uint32_t componentType, MixerLine* line) = 0;
  virtual HRESULT GetLineInfoById(uint32_t lineId, MixerLine* line) = 0;
  // The line's control of `controlType`; VFW_E_NOT_FOUND when it has none.
  virtual HRESULT GetLineControlByType(uint32_t lineId, uint32_t controlType, MixerControl* control) = 0;

  // A list control's items, in order.
  virtual HRESULT GetControlListText(uint32_t controlId, std::vector<MixerListText>* items) = 0;
  // One value per item for a list control, one value otherwise.
  virtual HRESULT GetControlValues(uint32_t controlId, std::vector<uint32_t>* values) = 0;
  // E_INVALIDARG when the number of values does not fit the control or a value is outside its range.
  virtual HRESULT SetControlValues(uint32_t controlId, const std::vector<uint32_t>& values) = 0;
};
