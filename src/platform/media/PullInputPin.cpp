#include "platform/media/PullInputPin.h"

#include "platform/media/AsyncReader.h"

CPullInputPin::CPullInputPin(CBaseFilter* filter, const std::string& name) : CBasePin(filter, name, PINDIR_INPUT) {}

HRESULT CPullInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPullInputPin::CheckConnect(IPin* pin) {
  const HRESULT hr = CBasePin::CheckConnect(pin);
  if (FAILED(hr)) return hr;
  return QueryInterface<IAsyncReader>(pin) ? S_OK : E_NOINTERFACE;
}
