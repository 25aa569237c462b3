#pragma once
// A filter that only hosts one pin, for the fake ends of the harness.

#include <utility>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

template <class Pin>
class CSinglePinFilter : public CBaseFilter {
 public:
  // The pin is built from (this filter, args...).
  template <class... Args>
  explicit CSinglePinFilter(Args&&... args) : CBaseFilter(GUID_NULL), m_pin(this, std::forward<Args>(args)...) {}

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
  Pin& HostedPin() { return m_pin; }

 private:
  Pin m_pin;
};
