#include "platform/wmf/CWMPropertyVault.h"

#include <algorithm>

#include "platform/media/WaveFormat.h"

HRESULT CWMPropertyVault::GetPropertyByName(const wchar_t* name, WMT_ATTR_DATATYPE* type, uint8_t* value,
                                            uint32_t* size) {
  if (name == nullptr || type == nullptr || size == nullptr) return E_POINTER;
  const auto found = m_properties.find(name);
  if (found == m_properties.end()) return NS_E_UNSUPPORTED_PROPERTY;
  const auto bytes = static_cast<uint32_t>(found->second.value.size());
  *type = found->second.type;
  if (value != nullptr) {
    if (*size < bytes) return E_INVALIDARG;
    std::copy(found->second.value.begin(), found->second.value.end(), value);
  }
  *size = bytes;
  return S_OK;
}

HRESULT CWMPropertyVault::SetProperty(const wchar_t* name, WMT_ATTR_DATATYPE type, const uint8_t* value,
                                      uint32_t size) {
  if (name == nullptr || (value == nullptr && size > 0)) return E_POINTER;
  const bool fourBytes = type == WMT_TYPE_BOOL || type == WMT_TYPE_DWORD;
  if (*name == L'\0' || (fourBytes && size != 4)) return E_INVALIDARG;
  m_properties[name] = Property{type, std::vector<uint8_t>(value, value + size)};
  return S_OK;
}

bool CWMPropertyVault::BoolProperty(const wchar_t* name) const {
  const auto found = m_properties.find(name);
  return found != m_properties.end() && found->second.type == WMT_TYPE_BOOL && GetLe32(found->second.value.data()) != 0;
}
