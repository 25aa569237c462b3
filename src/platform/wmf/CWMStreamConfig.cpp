#include "platform/wmf/CWMStreamConfig.h"

#include <new>

namespace {

constexpr uint16_t kHighestStreamNumber = 63;

}  // namespace

CWMStreamConfig::CWMStreamConfig(const GUID& streamType) : m_streamType(streamType) {
  m_mediaType.majortype = streamType;
}

HRESULT CWMStreamConfig::GetStreamType(GUID* type) {
  if (type == nullptr) return E_POINTER;
  *type = m_streamType;
  return S_OK;
}

HRESULT CWMStreamConfig::GetStreamNumber(uint16_t* number) {
  if (number == nullptr) return E_POINTER;
  *number = m_streamNumber;
  return S_OK;
}

HRESULT CWMStreamConfig::SetStreamNumber(uint16_t number) {
  if (number == 0 || number > kHighestStreamNumber) return E_INVALIDARG;
  m_streamNumber = number;
  return S_OK;
}

HRESULT CWMStreamConfig::GetStreamName(std::wstring* name) {
  if (name == nullptr) return E_POINTER;
  *name = m_name;
  return S_OK;
}

HRESULT CWMStreamConfig::SetStreamName(const wchar_t* name) {
  if (name == nullptr) return E_POINTER;
  m_name = name;
  return S_OK;
}

HRESULT CWMStreamConfig::GetBitrate(uint32_t* bitsPerSecond) {
  if (bitsPerSecond == nullptr) return E_POINTER;
  *bitsPerSecond = m_bitrate;
  return S_OK;
}

HRESULT CWMStreamConfig::SetBitrate(uint32_t bitsPerSecond) {
  m_bitrate = bitsPerSecond;
  return S_OK;
}

HRESULT CWMStreamConfig::GetBufferWindow(uint32_t* milliseconds) {
  if (milliseconds == nullptr) return E_POINTER;
  *milliseconds = m_bufferWindowMs;
  return S_OK;
}

HRESULT CWMStreamConfig::SetBufferWindow(uint32_t milliseconds) {
  m_bufferWindowMs = milliseconds;
  return S_OK;
}

HRESULT CWMStreamConfig::GetLanguage(std::wstring* tag) {
  if (tag == nullptr) return E_POINTER;
  *tag = m_language;
  return S_OK;
}

HRESULT CWMStreamConfig::SetLanguage(const wchar_t* tag) {
  if (tag == nullptr) return E_POINTER;
  m_language = tag;
  return S_OK;
}

HRESULT CWMStreamConfig::GetType(GUID* majorType) { return GetStreamType(majorType); }

HRESULT CWMStreamConfig::GetMediaType(WM_MEDIA_TYPE* type, uint32_t* bytes) {
  if (bytes == nullptr) return E_POINTER;
  const auto needed = static_cast<uint32_t>(kWmMediaTypeRecordBytes + m_mediaType.format.size());
  if (type != nullptr) {
    if (*bytes < needed) return E_INVALIDARG;
    *type = m_mediaType;
  }
  *bytes = needed;
  return S_OK;
}

HRESULT CWMStreamConfig::SetMediaType(const WM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (type->majortype != m_streamType) return E_INVALIDARG;
  m_mediaType = *type;
  return S_OK;
}

HRESULT CopyStreamConfig(IWMStreamConfig* source, std::shared_ptr<CWMStreamConfig>* copy) {
  if (source == nullptr || copy == nullptr) return E_POINTER;
  auto* config = dynamic_cast<CWMStreamConfig*>(source);
  if (config == nullptr) return E_INVALIDARG;
  try {
    *copy = std::make_shared<CWMStreamConfig>(*config);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
