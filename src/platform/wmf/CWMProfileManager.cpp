#include "platform/wmf/CWMProfileManager.h"

#include <algorithm>
#include <new>

#include "platform/wmf/CWMProfile.h"
#include "platform/wmf/WideText.h"

namespace {

// Copies `text` with its terminator, or gives the length it needs when `buffer` is null.
HRESULT CopyText(const std::string& text, wchar_t* buffer, uint32_t* length) {
  if (length == nullptr) return E_POINTER;
  const std::wstring wide = WideFromNarrow(text);
  const auto needed = static_cast<uint32_t>(wide.size() + 1);
  if (buffer != nullptr) {
    if (*length < needed) return E_INVALIDARG;
    std::copy(wide.c_str(), wide.c_str() + needed, buffer);
  }
  *length = needed;
  return S_OK;
}

}  // namespace

CWMProfileManager::CWMProfileManager(const std::vector<WmaCodec>& codecs) : m_codecs(codecs) {}

HRESULT CWMProfileManager::CreateEmptyProfile(WMT_VERSION version, std::shared_ptr<IWMProfile>* profile) {
  if (profile == nullptr) return E_POINTER;
  if (version != WMT_VER_7_0 && version != WMT_VER_8_0 && version != WMT_VER_9_0) return E_INVALIDARG;
  try {
    *profile = std::make_shared<CWMProfile>(version);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

const WmaCodec* CWMProfileManager::Codec(REFGUID majorType, uint32_t codecIndex) const {
  if (majorType != WMMEDIATYPE_Audio || codecIndex >= m_codecs.size()) return nullptr;
  return &m_codecs[codecIndex];
}

const WmaCodecFormat* CWMProfileManager::Format(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex) const {
  const WmaCodec* codec = Codec(majorType, codecIndex);
  if (codec == nullptr || formatIndex >= codec->formats.size()) return nullptr;
  return &codec->formats[formatIndex];
}

HRESULT CWMProfileManager::GetCodecInfoCount(REFGUID majorType, uint32_t* count) {
  if (count == nullptr) return E_POINTER;
  // No video codec here.
  *count = majorType == WMMEDIATYPE_Audio ? static_cast<uint32_t>(m_codecs.size()) : 0;
  return majorType == WMMEDIATYPE_Audio || majorType == WMMEDIATYPE_Video ? S_OK : E_INVALIDARG;
}

HRESULT CWMProfileManager::GetCodecFormatCount(REFGUID majorType, uint32_t codecIndex, uint32_t* count) {
  if (count == nullptr) return E_POINTER;
  const WmaCodec* codec = Codec(majorType, codecIndex);
  if (codec == nullptr) return E_INVALIDARG;
  *count = static_cast<uint32_t>(codec->formats.size());
  return S_OK;
}

HRESULT CWMProfileManager::GetCodecFormat(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                                          std::shared_ptr<IWMStreamConfig>* config) {
  if (config == nullptr) return E_POINTER;
  const WmaCodecFormat* format = Format(majorType, codecIndex, formatIndex);
  if (format == nullptr) return E_INVALIDARG;
  try {
    auto made = std::make_shared<CWMStreamConfig>(WMMEDIATYPE_Audio);
    made->SetBitrate(format->bitsPerSecond);
    const WM_MEDIA_TYPE type = MakeWmaMediaType(m_codecs[codecIndex], *format);
    made->SetMediaType(&type);
    *config = std::move(made);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CWMProfileManager::GetCodecName(REFGUID majorType, uint32_t codecIndex, wchar_t* name, uint32_t* length) {
  const WmaCodec* codec = Codec(majorType, codecIndex);
  if (codec == nullptr) return E_INVALIDARG;
  return CopyText(codec->name, name, length);
}

HRESULT CWMProfileManager::GetCodecFormatDesc(REFGUID majorType, uint32_t codecIndex, uint32_t formatIndex,
                                              std::shared_ptr<IWMStreamConfig>* config, wchar_t* description,
                                              uint32_t* length) {
  const WmaCodecFormat* format = Format(majorType, codecIndex, formatIndex);
  if (format == nullptr) return E_INVALIDARG;
  if (config != nullptr) {
    const HRESULT hr = GetCodecFormat(majorType, codecIndex, formatIndex, config);
    if (FAILED(hr)) return hr;
  }
  return CopyText(DescribeWmaFormat(*format), description, length);
}

HRESULT CWMProfileManager::SetCodecEnumerationSetting(REFGUID majorType, uint32_t codecIndex, const wchar_t* name,
                                                      WMT_ATTR_DATATYPE, const uint8_t*, uint32_t) {
  if (name == nullptr) return E_POINTER;
  if (Codec(majorType, codecIndex) == nullptr) return E_INVALIDARG;
  return NS_E_UNSUPPORTED_PROPERTY;
}

HRESULT WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* manager) {
  if (manager == nullptr) return E_POINTER;
  try {
    *manager = std::make_shared<CWMProfileManager>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
