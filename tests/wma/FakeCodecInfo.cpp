#include "wma/FakeCodecInfo.h"

#include <algorithm>

#include "platform/media/WaveFormat.h"
#include "platform/wmf/CWMStreamConfig.h"
#include "platform/wmf/WideText.h"

namespace {

HRESULT CopyText(const std::string& text, wchar_t* buffer, uint32_t* length) {
  const std::wstring wide = WideFromNarrow(text);
  if (buffer != nullptr) {
    if (*length < wide.size() + 1) return E_INVALIDARG;
    std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, buffer);
  }
  *length = static_cast<uint32_t>(wide.size() + 1);
  return S_OK;
}

}  // namespace

const std::vector<std::string>* FakeCodecInfo::Formats(uint32_t codecIndex) const {
  if (codecIndex >= m_codecs.size()) return nullptr;
  const FakeCodec& codec = m_codecs[codecIndex];
  const auto vbr = m_vbr.find(codecIndex);
  return vbr != m_vbr.end() && vbr->second ? &*codec.vbrFormats : &codec.cbrFormats;
}

HRESULT FakeCodecInfo::GetCodecInfoCount(REFGUID, uint32_t* count) {
  calls.push_back("count");
  if (failCount) return E_FAIL;
  *count = static_cast<uint32_t>(m_codecs.size());
  return S_OK;
}

HRESULT FakeCodecInfo::GetCodecFormatCount(REFGUID, uint32_t codecIndex, uint32_t* count) {
  const std::vector<std::string>* formats = Formats(codecIndex);
  if (formats == nullptr) return E_INVALIDARG;
  *count = static_cast<uint32_t>(formats->size());
  return S_OK;
}

HRESULT FakeCodecInfo::GetCodecFormat(REFGUID, uint32_t codecIndex, uint32_t formatIndex,
                                      std::shared_ptr<IWMStreamConfig>* config) {
  calls.push_back("format " + std::to_string(codecIndex) + ":" + std::to_string(formatIndex));
  const std::vector<std::string>* formats = Formats(codecIndex);
  if (formats == nullptr || formatIndex >= formats->size()) return E_INVALIDARG;
  auto made = std::make_shared<CWMStreamConfig>(WMMEDIATYPE_Audio);
  made->SetBitrate(BitrateOf(formatIndex));
  WAVEFORMATEX wave;
  wave.wFormatTag = 0x0161;
  wave.nChannels = 2;
  wave.nSamplesPerSec = 44100;
  wave.nAvgBytesPerSec = BitrateOf(formatIndex) / 8;
  wave.nBlockAlign = static_cast<uint16_t>(100 + formatIndex);
  const WM_MEDIA_TYPE type = MakeAudioMediaType(wave);
  made->SetMediaType(&type);
  *config = std::move(made);
  return S_OK;
}

HRESULT FakeCodecInfo::GetCodecName(REFGUID, uint32_t codecIndex, wchar_t* name, uint32_t* length) {
  if (codecIndex >= m_codecs.size()) return E_INVALIDARG;
  return CopyText(m_codecs[codecIndex].name, name, length);
}

HRESULT FakeCodecInfo::GetCodecFormatDesc(REFGUID type, uint32_t codecIndex, uint32_t formatIndex,
                                          std::shared_ptr<IWMStreamConfig>* config, wchar_t* description,
                                          uint32_t* length) {
  const std::vector<std::string>* formats = Formats(codecIndex);
  if (formats == nullptr || formatIndex >= formats->size()) return E_INVALIDARG;
  if (config != nullptr) GetCodecFormat(type, codecIndex, formatIndex, config);
  return CopyText((*formats)[formatIndex], description, length);
}

HRESULT FakeCodecInfo::SetCodecEnumerationSetting(REFGUID, uint32_t codecIndex, const wchar_t* name, WMT_ATTR_DATATYPE,
                                                  const uint8_t* value, uint32_t size) {
  if (codecIndex >= m_codecs.size() || size != 4) return E_INVALIDARG;
  const std::string setting = NarrowFromWide(name);
  calls.push_back("setting " + setting + "=" + std::to_string(GetLe32(value)) + " " + std::to_string(codecIndex));
  if (!m_codecs[codecIndex].vbrFormats) return NS_E_UNSUPPORTED_PROPERTY;
  if (setting == "_VBRENABLED") {
    if (failVbrSetting) return E_FAIL;
    m_vbr[codecIndex] = GetLe32(value) != 0;
  }
  return S_OK;
}
