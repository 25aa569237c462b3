#include "platform/media/PinWalk.h"

namespace {

bool HasDirection(IPin* pin, PIN_DIRECTION direction) {
  PIN_DIRECTION actual;
  return SUCCEEDED(pin->QueryDirection(&actual)) && actual == direction;
}

}  // namespace

HRESULT EnumeratePins(IBaseFilter* filter, std::vector<IPin*>* pins) {
  if (filter == nullptr || pins == nullptr) return E_POINTER;
  pins->clear();
  std::unique_ptr<IEnumPins> enumerator;
  const HRESULT hr = filter->EnumPins(&enumerator);
  if (FAILED(hr)) return hr;
  if (!enumerator) return E_UNEXPECTED;
  enumerator->Reset();
  IPin* pin = nullptr;
  unsigned long fetched = 0;
  while (enumerator->Next(1, &pin, &fetched) == S_OK && fetched == 1) pins->push_back(pin);
  return S_OK;
}

std::vector<IPin*> PinsOf(IBaseFilter* filter) {
  std::vector<IPin*> pins;
  if (FAILED(EnumeratePins(filter, &pins))) pins.clear();
  return pins;
}

std::vector<IPin*> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<IPin*> matching;
  for (IPin* pin : PinsOf(filter))
    if (HasDirection(pin, direction)) matching.push_back(pin);
  return matching;
}

IPin* PeerOf(IPin* pin) {
  IPin* peer = nullptr;
  return pin != nullptr && SUCCEEDED(pin->ConnectedTo(&peer)) ? peer : nullptr;
}

HRESULT FindFirstPin(IBaseFilter* filter, PIN_DIRECTION direction, PinConnection connection, IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = nullptr;
  std::vector<IPin*> all;
  const HRESULT hr = EnumeratePins(filter, &all);
  if (FAILED(hr)) return hr;
  for (IPin* candidate : all) {
    if (!HasDirection(candidate, direction)) continue;
    if (connection == PinConnection::Unconnected && PeerOf(candidate) != nullptr) continue;
    *pin = candidate;
    return S_OK;
  }
  return S_FALSE;
}
