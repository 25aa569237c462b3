#pragma once
// Base for a parser's input pin in the pull model: it takes a byte stream (MEDIATYPE_Stream)
// from an output pin that offers IAsyncReader, through which the parser reads the file on its
// own threads, so no samples or stream control ever reach the pin. Derived pins open the file
// in CompleteConnect and let it go in BreakConnect. Connection runs on the control thread
// under the filter lock.

#include <string>

#include "platform/media/BasePin.h"

class CPullInputPin : public CBasePin {
 public:
  CPullInputPin(CBaseFilter* filter, const std::string& name);

  // A byte stream; VFW_E_TYPE_NOT_ACCEPTED for anything else.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // E_NOINTERFACE for a peer without IAsyncReader.
  HRESULT CheckConnect(IPin* pin) override;

  HRESULT EndOfStream() override { return E_UNEXPECTED; }
  HRESULT BeginFlush() override { return E_UNEXPECTED; }
  HRESULT EndFlush() override { return E_UNEXPECTED; }
};
