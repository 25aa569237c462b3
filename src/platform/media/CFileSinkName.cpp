#include "platform/media/CFileSinkName.h"

#include <mutex>

#include "platform/media/BasePin.h"

CFileSinkName::CFileSinkName(CBaseFilter* filter) : m_sinkFilter(filter) {}

HRESULT CFileSinkName::SetFileName(const std::string& path, const AM_MEDIA_TYPE*) {
  std::lock_guard lock(m_sinkFilter->FilterLock());
  if (!m_sinkFilter->IsStopped()) return VFW_E_NOT_STOPPED;
  if (path.empty()) return E_INVALIDARG;
  m_path = path;
  return S_OK;
}

HRESULT CFileSinkName::GetCurFile(std::string* path, AM_MEDIA_TYPE* type) {
  if (path == nullptr) return E_POINTER;
  std::lock_guard lock(m_sinkFilter->FilterLock());
  *path = m_path;
  if (type) *type = m_sinkFilter->GetPin(0)->CurrentMediaType();
  return m_path.empty() ? E_FAIL : S_OK;
}

HRESULT CFileSinkName::SetMode(uint32_t flags) {
  std::lock_guard lock(m_sinkFilter->FilterLock());
  m_mode = flags;
  return S_OK;
}

HRESULT CFileSinkName::GetMode(uint32_t* flags) {
  if (flags == nullptr) return E_POINTER;
  std::lock_guard lock(m_sinkFilter->FilterLock());
  *flags = m_mode;
  return S_OK;
}
