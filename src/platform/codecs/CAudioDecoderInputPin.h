#pragma once
// The decoder's input pin "Input": takes a byte stream (MEDIATYPE_Stream) from a pin that
// offers IAsyncReader and has its filter open the file when the connection completes, so a
// file the decoder cannot read refuses the connection with the reason. Control thread only;
// the pull model brings no samples or stream control to this pin.

#include "platform/media/PullInputPin.h"

class CAudioDecoderFilter;

class CAudioDecoderInputPin : public CPullInputPin {
 public:
  explicit CAudioDecoderInputPin(CAudioDecoderFilter* filter);

  HRESULT CompleteConnect(IPin* receivePin) override;
  HRESULT BreakConnect() override;

 private:
  CAudioDecoderFilter* m_decoder;
};
