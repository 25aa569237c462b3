#pragma once
// The infinite tee: one input, any number of outputs, always one of them unconnected.
// Each output connects with the input's type and shares the input's allocator read-only; every
// input sample is delivered to every connected output on the upstream streaming thread.
// Pins are added and removed on the control thread under the filter lock.

#include <memory>
#include <vector>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"

class CInfTee : public CBaseFilter {
 public:
  CInfTee();
  ~CInfTee() override;

  int GetPinCount() override;
  CBasePin* GetPin(int n) override;

 private:
  class InputPin;
  class OutputPin;

  bool AnyOutputConnected() const;
  HRESULT DeliverToOutputs(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  void EnsureSpareOutput();

  std::unique_ptr<InputPin> m_input;
  std::vector<std::unique_ptr<OutputPin>> m_outputs;
  int m_nextOutputNumber = 1;
};
