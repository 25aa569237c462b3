#include "platform/media/AsyncReaderPin.h"

CAsyncReaderPin::CAsyncReaderPin(CBaseFilter* filter, const ReadOnlyFile* file)
    : CBasePin(filter, "Output", PINDIR_OUTPUT), m_file(file) {}

HRESULT CAsyncReaderPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == MEDIATYPE_Stream ? S_OK : S_FALSE;
}

HRESULT CAsyncReaderPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  *type = {};
  type->majortype = MEDIATYPE_Stream;
  type->formattype = FORMAT_None;
  type->bFixedSizeSamples = false;
  return S_OK;
}

HRESULT CAsyncReaderPin::CheckConnect(IPin* pin) {
  if (!m_file->IsOpen()) return VFW_E_NOT_CONNECTED;
  return CBasePin::CheckConnect(pin);
}

HRESULT CAsyncReaderPin::SyncRead(int64_t position, long length, uint8_t* buffer, long* read) {
  if (read) *read = 0;
  if (position < 0 || length < 0) return E_INVALIDARG;
  size_t got = 0;
  const HRESULT hr = m_file->ReadAt(static_cast<uint64_t>(position), buffer, static_cast<size_t>(length), &got);
  if (read) *read = static_cast<long>(got);
  if (FAILED(hr)) return hr;
  return got == static_cast<size_t>(length) ? S_OK : S_FALSE;
}

HRESULT CAsyncReaderPin::Length(int64_t* total, int64_t* available) {
  if (total == nullptr || available == nullptr) return E_POINTER;
  uint64_t size = 0;
  const HRESULT hr = m_file->Size(&size);
  if (FAILED(hr)) return hr;
  *total = *available = static_cast<int64_t>(size);
  return S_OK;
}
