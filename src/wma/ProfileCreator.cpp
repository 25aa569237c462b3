#include "wma/ProfileCreator.h"

#include <cstdio>

#include "platform/media/WaveFormat.h"
#include "platform/wmf/WMStreamConfig.h"
#include "platform/wmf/WideText.h"
#include "wma/WmaCodecInfo.h"

namespace {

constexpr const wchar_t* kProfileName = L"Vantro Corvox Custom Profile";
constexpr const wchar_t* kProfileDescription = L"Custom screen video profile created by Vantro Corvox!";
constexpr uint32_t kBufferWindowMs = 3000;

}  // namespace

ProfileCreator::ProfileCreator(std::shared_ptr<IWMCodecInfo3> codecInfo) : m_codecInfo(std::move(codecInfo)) {}

bool ProfileCreator::CreateProfile(std::shared_ptr<IWMProfile>* profile) {
  if (profile == nullptr || FAILED(EnsureCodecInfo(&m_codecInfo))) return false;
  // A profile without its stream is no use to the writer.
  if (FAILED(AddStreamObject(kStreamAudio))) return false;
  std::shared_ptr<IWMProfileManager> manager;
  if (FAILED(WMCreateProfileManager(&manager))) return false;
  if (FAILED(manager->CreateEmptyProfile(WMT_VER_9_0, profile))) return false;
  if (QueryInterface<IWMProfile3>(*profile) == nullptr) return false;
  for (size_t position = 0; position < m_streams.size(); ++position) {
    CStream& stream = *m_streams[position];
    stream.streamNumber = static_cast<uint16_t>(position + 1);
    if (stream.streamType == kStreamAudio && FAILED(CreateAudioStream(stream, profile->get()))) return false;
  }
  (*profile)->SetName(kProfileName);
  return SUCCEEDED((*profile)->SetDescription(kProfileDescription));
}

HRESULT ProfileCreator::AddStreamObject(StreamType type) {
  if (type != kStreamAudio) return E_INVALIDARG;
  CStream* created = CStream::Create();
  if (created == nullptr) return E_OUTOFMEMORY;
  const std::shared_ptr<CStream> stream = ShareProfileObject(created);
  const HRESULT hr = FillAudioStream(stream.get());
  if (FAILED(hr)) return hr;
  stream->name = "Audio Stream";
  m_streams.push_back(stream);
  return S_OK;
}

HRESULT ProfileCreator::FillAudioStream(CStream* stream) {
  stream->streamType = kStreamAudio;
  stream->bufferWindowMs = kBufferWindowMs;
  uint32_t count = 0;
  HRESULT hr = m_codecInfo->GetCodecInfoCount(WMMEDIATYPE_Audio, &count);
  if (FAILED(hr)) return hr;
  uint32_t codecIndex = 0;
  while (codecIndex < count && GetCodecNameText(m_codecInfo.get(), codecIndex) != m_codecName) ++codecIndex;
  if (codecIndex == count) {
    SetErrorInfo("No Windows Media audio codec named \"" + m_codecName + "\" is installed.");
    return E_INVALIDARG;
  }
  const uint32_t passes = m_isVbr ? 1 : 0;
  uint32_t formats = 0;
  if (FAILED(SetCodecVbrSettings(m_codecInfo.get(), WMMEDIATYPE_Audio, codecIndex, m_isVbr, passes)) ||
      FAILED(m_codecInfo->GetCodecFormatCount(WMMEDIATYPE_Audio, codecIndex, &formats)))
    formats = 0;
  if (m_formatIndex < 0 || static_cast<uint32_t>(m_formatIndex) >= formats)
    m_formatIndex = static_cast<int32_t>(formats / 2);
  stream->codecIndex = codecIndex;
  stream->formatCode = CStream::FormatCode(static_cast<uint32_t>(m_formatIndex), passes);
  return S_OK;
}

HRESULT ProfileCreator::CreateAudioStream(const CStream& stream, IWMProfile* profile) {
  if (profile == nullptr || !m_codecInfo) return E_POINTER;
  const uint32_t formatIndex = stream.FormatIndex();
  const uint32_t passes = stream.Passes();
  const bool isVbr = passes != 0;

  std::shared_ptr<IWMStreamConfig> config;
  HRESULT hr = profile->CreateNewStream(WMMEDIATYPE_Audio, &config);
  if (FAILED(hr)) return hr;
  hr = SetCodecVbrSettings(m_codecInfo.get(), WMMEDIATYPE_Audio, stream.codecIndex, isVbr, passes);
  if (FAILED(hr)) return hr;
  std::shared_ptr<IWMStreamConfig> format;
  hr = m_codecInfo->GetCodecFormat(WMMEDIATYPE_Audio, stream.codecIndex, formatIndex, &format);
  if (FAILED(hr)) return hr;
  auto* formatProps = QueryInterface<IWMMediaProps>(format.get());
  auto* props = QueryInterface<IWMMediaProps>(config.get());
  if (formatProps == nullptr || props == nullptr) return E_NOINTERFACE;
  uint32_t typeBytes = 0;
  hr = formatProps->GetMediaType(nullptr, &typeBytes);
  if (FAILED(hr)) return hr;
  WM_MEDIA_TYPE type;
  hr = formatProps->GetMediaType(&type, &typeBytes);
  if (FAILED(hr)) return hr;

  uint32_t bitrate = 0;
  hr = format->GetBitrate(&bitrate);
  if (SUCCEEDED(hr)) hr = config->SetBitrate(bitrate);
  if (SUCCEEDED(hr)) hr = config->SetBufferWindow(stream.bufferWindowMs);
  if (SUCCEEDED(hr)) hr = props->SetMediaType(&type);
  if (FAILED(hr)) return hr;
  if (auto* vault = QueryInterface<IWMPropertyVault>(config.get())) {
    uint8_t value[4];
    PutLe32(value, isVbr ? 1 : 0);
    vault->SetProperty(g_wszVBREnabled, WMT_TYPE_BOOL, value, sizeof value);
  }
  hr = SetStreamLanguage(config.get(), stream.language);
  if (FAILED(hr)) return hr;

  hr = config->SetStreamNumber(stream.streamNumber);
  if (FAILED(hr)) return hr;
  char name[32];
  std::snprintf(name, sizeof name, "%s%d", "Audio", stream.streamNumber);
  hr = config->SetStreamName(WideFromNarrow(name).c_str());
  if (FAILED(hr)) return hr;
  return profile->AddStream(config.get());
}

HRESULT ProfileCreator::SetStreamLanguage(IWMStreamConfig* config, LCID language) {
  if (config == nullptr) return E_POINTER;
  std::shared_ptr<IMultiLanguage> service;
  HRESULT hr = CreateMultiLanguage(&service);
  if (FAILED(hr)) return hr;
  std::wstring tag;
  hr = service->GetRfc1766FromLcid(language, &tag);
  if (FAILED(hr)) return hr;
  auto* languageConfig = QueryInterface<IWMStreamConfig3>(config);
  if (languageConfig == nullptr) return E_NOINTERFACE;
  return languageConfig->SetLanguage(tag.c_str());
}
