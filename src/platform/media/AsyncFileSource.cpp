#include "platform/media/AsyncFileSource.h"

CAsyncFileSource::CAsyncFileSource()
    : CBaseFilter(CLSID_AsyncReader), m_pin(std::make_unique<CAsyncReaderPin>(this, &m_file)) {}

CBasePin* CAsyncFileSource::GetPin(int n) { return n == 0 ? m_pin.get() : nullptr; }

HRESULT CAsyncFileSource::Load(const std::string& path, const AM_MEDIA_TYPE*) {
  std::lock_guard lock(m_csFilter);
  if (m_file.IsOpen()) return VFW_E_ALREADY_CONNECTED;
  return m_file.Open(path);
}

HRESULT CAsyncFileSource::GetCurFile(std::string* path, AM_MEDIA_TYPE* type) {
  if (path == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  *path = m_file.Path();
  if (type) m_pin->GetMediaType(0, type);
  return m_file.IsOpen() ? S_OK : E_FAIL;
}
