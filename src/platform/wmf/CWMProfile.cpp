#include "platform/wmf/CWMProfile.h"

#include <algorithm>
#include <new>

CWMProfile::CWMProfile(WMT_VERSION version) : m_version(version) {}

HRESULT CWMProfile::GetVersion(WMT_VERSION* version) {
  if (version == nullptr) return E_POINTER;
  *version = m_version;
  return S_OK;
}

HRESULT CWMProfile::GetName(std::wstring* name) {
  if (name == nullptr) return E_POINTER;
  *name = m_name;
  return S_OK;
}

HRESULT CWMProfile::SetName(const wchar_t* name) {
  if (name == nullptr) return E_POINTER;
  m_name = name;
  return S_OK;
}

HRESULT CWMProfile::GetDescription(std::wstring* description) {
  if (description == nullptr) return E_POINTER;
  *description = m_description;
  return S_OK;
}

HRESULT CWMProfile::SetDescription(const wchar_t* description) {
  if (description == nullptr) return E_POINTER;
  m_description = description;
  return S_OK;
}

HRESULT CWMProfile::GetStreamCount(uint32_t* count) {
  if (count == nullptr) return E_POINTER;
  *count = static_cast<uint32_t>(m_streams.size());
  return S_OK;
}

HRESULT CWMProfile::GetStream(uint32_t index, std::shared_ptr<IWMStreamConfig>* config) {
  if (config == nullptr) return E_POINTER;
  if (index >= m_streams.size()) return E_INVALIDARG;
  *config = m_streams[index];
  return S_OK;
}

HRESULT CWMProfile::CreateNewStream(REFGUID majorType, std::shared_ptr<IWMStreamConfig>* config) {
  if (config == nullptr) return E_POINTER;
  if (majorType != WMMEDIATYPE_Audio && majorType != WMMEDIATYPE_Video) return E_INVALIDARG;
  try {
    *config = std::make_shared<CWMStreamConfig>(majorType);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CWMProfile::AddStream(IWMStreamConfig* config) {
  if (config == nullptr) return E_POINTER;
  uint16_t number = 0;
  config->GetStreamNumber(&number);
  const bool taken = std::any_of(m_streams.begin(), m_streams.end(), [number](const auto& stream) {
    uint16_t existing = 0;
    stream->GetStreamNumber(&existing);
    return existing == number;
  });
  if (number == 0 || taken) return E_INVALIDARG;
  std::shared_ptr<CWMStreamConfig> copy;
  const HRESULT hr = CopyStreamConfig(config, &copy);
  if (FAILED(hr)) return hr;
  try {
    m_streams.push_back(std::move(copy));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
