#include "platform/codecs/CAudioDecoderInputPin.h"

#include "platform/codecs/CAudioDecoderFilter.h"
#include "platform/media/AsyncReader.h"

CAudioDecoderInputPin::CAudioDecoderInputPin(CAudioDecoderFilter* filter)
    : CBasePin(filter, "Input", PINDIR_INPUT), m_decoder(filter) {}

HRESULT CAudioDecoderInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == MEDIATYPE_Stream ? S_OK : S_FALSE;
}

HRESULT CAudioDecoderInputPin::CheckConnect(IPin* pin) {
  const HRESULT hr = CBasePin::CheckConnect(pin);
  if (FAILED(hr)) return hr;
  return QueryInterface<IAsyncReader>(pin) ? S_OK : E_NOINTERFACE;
}

HRESULT CAudioDecoderInputPin::CompleteConnect(IPin* receivePin) {
  return m_decoder->OpenFile(QueryInterface<IAsyncReader>(receivePin));
}

HRESULT CAudioDecoderInputPin::BreakConnect() {
  m_decoder->CloseFile();
  return S_OK;
}
