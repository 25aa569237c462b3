#pragma once
// The asynchronous file source "File Source (Async.)": holds one file open for reading and
// offers it on its pin "Output" as a byte stream that a parser pulls (IAsyncReader). It has no
// thread of its own. Load runs on the control thread before the pin is connected.

#include <memory>
#include <string>

#include "platform/media/AsyncReader.h"
#include "platform/media/AsyncReaderPin.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/ReadOnlyFile.h"

class CAsyncFileSource : public CBaseFilter, public IFileSourceFilter {
 public:
  CAsyncFileSource();

  int GetPinCount() override { return 1; }
  CBasePin* GetPin(int n) override;

  // Once only: a source holds the one file it was loaded with (VFW_E_ALREADY_CONNECTED after).
  HRESULT Load(const std::string& path, const AM_MEDIA_TYPE* type) override;
  HRESULT GetCurFile(std::string* path, AM_MEDIA_TYPE* type) override;

 private:
  ReadOnlyFile m_file;
  std::unique_ptr<CAsyncReaderPin> m_pin;
};
