#include "wma/WmaCodecInfo.h"

#include <new>
#include <vector>

#include "platform/media/WaveFormat.h"
#include "platform/wmf/Profile.h"
#include "platform/wmf/WMStreamConfig.h"
#include "platform/wmf/WideText.h"

namespace {

constexpr const char* kAudioVideoMark = "(A/V)";

HRESULT SetDwordSetting(IWMCodecInfo3* codecInfo, REFGUID mediaType, uint32_t codecIndex, const wchar_t* name,
                        WMT_ATTR_DATATYPE type, uint32_t value) {
  uint8_t bytes[4];
  PutLe32(bytes, value);
  return codecInfo->SetCodecEnumerationSetting(mediaType, codecIndex, name, type, bytes, sizeof bytes);
}

// Room for `length` characters and a terminator the runtime may or may not count.
std::vector<wchar_t> TextBuffer(uint32_t length) { return std::vector<wchar_t>(size_t{length} + 1, L'\0'); }

}  // namespace

HRESULT EnsureCodecInfo(std::shared_ptr<IWMCodecInfo3>* codecInfo) {
  if (codecInfo == nullptr) return E_POINTER;
  if (*codecInfo) return S_OK;
  std::shared_ptr<IWMProfileManager> manager;
  const HRESULT hr = WMCreateProfileManager(&manager);
  if (FAILED(hr)) return hr;
  *codecInfo = QueryInterface<IWMCodecInfo3>(manager);
  return *codecInfo ? S_OK : E_NOINTERFACE;
}

HRESULT SetCodecVbrSettings(IWMCodecInfo3* codecInfo, REFGUID mediaType, uint32_t codecIndex, bool isVbr,
                            uint32_t passes) {
  if (codecInfo == nullptr) return E_POINTER;
  const HRESULT hr = SetDwordSetting(codecInfo, mediaType, codecIndex, g_wszVBREnabled, WMT_TYPE_BOOL, isVbr);
  if (FAILED(hr)) return !isVbr && hr == NS_E_UNSUPPORTED_PROPERTY ? S_OK : hr;
  if (!isVbr) return hr;
  return SetDwordSetting(codecInfo, mediaType, codecIndex, g_wszNumPasses, WMT_TYPE_DWORD, passes);
}

std::string GetCodecNameText(IWMCodecInfo3* codecInfo, uint32_t codecIndex) {
  if (codecInfo == nullptr) return {};
  uint32_t length = 0;
  if (FAILED(codecInfo->GetCodecName(WMMEDIATYPE_Audio, codecIndex, nullptr, &length))) return {};
  try {
    std::vector<wchar_t> name = TextBuffer(length);
    if (FAILED(codecInfo->GetCodecName(WMMEDIATYPE_Audio, codecIndex, name.data(), &length))) return {};
    name.back() = L'\0';
    return NarrowFromWide(name.data());
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string GetFormatDescText(IWMCodecInfo3* codecInfo, uint32_t codecIndex, uint32_t formatIndex) {
  if (codecInfo == nullptr) return {};
  uint32_t length = 0;
  if (FAILED(codecInfo->GetCodecFormatDesc(WMMEDIATYPE_Audio, codecIndex, formatIndex, nullptr, nullptr, &length)))
    return {};
  try {
    std::vector<wchar_t> description = TextBuffer(length);
    std::shared_ptr<IWMStreamConfig> config;
    const HRESULT hr =
        codecInfo->GetCodecFormatDesc(WMMEDIATYPE_Audio, codecIndex, formatIndex, &config, description.data(), &length);
    config.reset();
    if (FAILED(hr)) return {};
    description.back() = L'\0';
    std::string text = NarrowFromWide(description.data());
    return text.find(kAudioVideoMark) == std::string::npos ? text : std::string();
  } catch (const std::bad_alloc&) {
    return {};
  }
}
