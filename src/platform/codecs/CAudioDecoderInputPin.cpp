#include "platform/codecs/CAudioDecoderInputPin.h"

#include "platform/codecs/CAudioDecoderFilter.h"
#include "platform/media/AsyncReader.h"

CAudioDecoderInputPin::CAudioDecoderInputPin(CAudioDecoderFilter* filter)
    : CPullInputPin(filter, "Input"), m_decoder(filter) {}

HRESULT CAudioDecoderInputPin::CompleteConnect(IPin* receivePin) {
  return m_decoder->OpenFile(QueryInterface<IAsyncReader>(receivePin));
}

HRESULT CAudioDecoderInputPin::BreakConnect() {
  m_decoder->CloseFile();
  return S_OK;
}
