#pragma once
// The file source's output pin "Output": a byte stream (MEDIATYPE_Stream) read through
// IAsyncReader by the parser connected to it. Reads go straight to the file, so any thread may
// read at any time; connection runs on the control thread under the filter lock.

#include "platform/media/AsyncReader.h"
#include "platform/media/BasePin.h"
#include "platform/media/ReadOnlyFile.h"

class CAsyncReaderPin : public CBasePin, public IAsyncReader {
 public:
  // `file` belongs to the filter and outlives the pin.
  CAsyncReaderPin(CBaseFilter* filter, const ReadOnlyFile* file);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT CheckConnect(IPin* pin) override;

  // The pull model has no stream control on the source side.
  HRESULT EndOfStream() override { return E_UNEXPECTED; }
  HRESULT BeginFlush() override { return E_UNEXPECTED; }
  HRESULT EndFlush() override { return E_UNEXPECTED; }

  HRESULT SyncRead(int64_t position, long length, uint8_t* buffer, long* read) override;
  HRESULT Length(int64_t* total, int64_t* available) override;

 private:
  const ReadOnlyFile* m_file;
};
