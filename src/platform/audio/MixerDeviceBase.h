#pragma once
// The part of a mixer device every backend shares: lookups of lines and controls in its
// layout, and the checks on values written, so a backend only reads and writes control values
// and posts what changed.
//
// Threads: as AudioMixerDevice. The layout is fixed at construction; NotifyControlChange may
// be called from any thread.

#include <string>

#include "platform/audio/AudioMixerDevice.h"
#include "platform/audio/MixerLayout.h"

class MixerDeviceBase : public AudioMixerDevice {
 public:
  MixerDeviceBase(std::string productName, MixerLayout layout, HWND notify);

  std::string ProductName() override { return m_productName; }
  HRESULT GetLineInfoByComponentType(uint32_t componentType, MixerLine* line) override;
  HRESULT GetLineInfoById(uint32_t lineId, MixerLine* line) override;
  HRESULT GetLineControlByType(uint32_t lineId, uint32_t controlType, MixerControl* control) override;
  HRESULT GetControlListText(uint32_t controlId, std::vector<MixerListText>* items) override;
  HRESULT GetControlValues(uint32_t controlId, std::vector<uint32_t>* values) override;
  HRESULT SetControlValues(uint32_t controlId, const std::vector<uint32_t>& values) override;

  const MixerLayout& Layout() const { return m_layout; }

 protected:
  // Required: read the control's values (one per item for list controls), and write values
  // already checked against the control's item count and range.
  virtual HRESULT ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) = 0;
  virtual HRESULT WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) = 0;

  // Posts MM_MIXM_CONTROL_CHANGE for the control to the notify window.
  void NotifyControlChange(uint32_t controlId) const;

 private:
  const std::string m_productName;
  const MixerLayout m_layout;
  const HWND m_notify;
};
