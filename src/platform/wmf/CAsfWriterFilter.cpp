#include "platform/wmf/CAsfWriterFilter.h"

#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/wmf/CWMProfile.h"
#include "platform/wmf/WideText.h"

namespace {

// The "_VBRENABLED" property of a stream; false when it has none.
bool VbrEnabled(IWMStreamConfig* config) {
  auto* vault = QueryInterface<IWMPropertyVault>(config);
  WMT_ATTR_DATATYPE type;
  uint8_t value[4] = {};
  uint32_t size = sizeof value;
  return vault != nullptr && vault->GetPropertyByName(g_wszVBREnabled, &type, value, &size) == S_OK &&
         type == WMT_TYPE_BOOL && (value[0] | value[1] | value[2] | value[3]) != 0;
}

}  // namespace

CAsfWriterFilter::CAsfWriterFilter()
    : CBaseFilter(CLSID_WMAsfWriter), CFileSinkName(this), m_input(std::make_unique<CAsfWriterInputPin>(this)) {}

CAsfWriterFilter::~CAsfWriterFilter() {
  std::lock_guard lock(m_csWrite);
  m_encoder.reset();
  m_muxer.reset();
}

int CAsfWriterFilter::GetPinCount() { return 1; }

CBasePin* CAsfWriterFilter::GetPin(int n) { return n == 0 ? m_input.get() : nullptr; }

uint32_t CAsfWriterFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

HRESULT CAsfWriterFilter::ConfigureFilterUsingProfile(IWMProfile* profile) {
  if (profile == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (!IsStopped()) return VFW_E_NOT_STOPPED;
  if (m_input->IsConnected()) return VFW_E_ALREADY_CONNECTED;
  uint32_t count = 0;
  HRESULT hr = profile->GetStreamCount(&count);
  if (FAILED(hr)) return hr;
  std::shared_ptr<IWMStreamConfig> config;
  GUID streamType;
  if (count != 1 || FAILED(profile->GetStream(0, &config)) || FAILED(config->GetStreamType(&streamType)) ||
      streamType != WMMEDIATYPE_Audio) {
    SetErrorInfo("The ASF writer writes profiles of exactly one audio stream.");
    return VFW_E_UNSUPPORTED_STREAM;
  }
  auto* props = QueryInterface<IWMMediaProps>(config.get());
  if (props == nullptr) return E_NOINTERFACE;
  WM_MEDIA_TYPE type;
  uint32_t bytes = 0;
  hr = props->GetMediaType(nullptr, &bytes);
  if (SUCCEEDED(hr)) hr = props->GetMediaType(&type, &bytes);
  if (FAILED(hr)) return hr;
  uint32_t bitrate = 0;
  config->GetBitrate(&bitrate);
  const std::optional<WAVEFORMATEX> wave = WaveFormatOf(type);

  std::optional<StreamChoice> choice;
  for (const WmaCodec& codec : InstalledWmaCodecs()) {
    for (const WmaCodecFormat& format : codec.formats) {
      if (wave && wave->wFormatTag == codec.formatTag && wave->nSamplesPerSec == format.rateHz &&
          wave->nChannels == format.channels && bitrate == format.bitsPerSecond && !choice)
        choice = StreamChoice{&codec, format, {}};
    }
  }
  if (!choice || VbrEnabled(config.get())) {
    SetErrorInfo("The profile's audio format is not one this system can encode.");
    return VFW_E_UNSUPPORTED_STREAM;
  }
  if (auto* languageConfig = QueryInterface<IWMStreamConfig3>(config.get())) {
    std::wstring language;
    if (SUCCEEDED(languageConfig->GetLanguage(&language))) choice->language = NarrowFromWide(language);
  }

  // The writer keeps a copy; the caller releases its profile.
  WMT_VERSION version = WMT_VER_9_0;
  std::wstring name, description;
  profile->GetVersion(&version);
  profile->GetName(&name);
  profile->GetDescription(&description);
  try {
    auto copy = std::make_shared<CWMProfile>(version);
    copy->SetName(name.c_str());
    copy->SetDescription(description.c_str());
    hr = copy->AddStream(config.get());
    if (FAILED(hr)) return hr;
    m_profile = std::move(copy);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  m_stream = std::move(choice);
  return S_OK;
}

HRESULT CAsfWriterFilter::GetCurrentProfile(std::shared_ptr<IWMProfile>* profile) {
  if (profile == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  *profile = m_profile;
  return m_profile ? S_OK : E_FAIL;
}

HRESULT CAsfWriterFilter::CheckInputType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (!m_stream) {
    SetErrorInfo("The ASF writer has no profile yet.");
    return VFW_E_WRONG_STATE;
  }
  const std::optional<WAVEFORMATEX> wave = WaveFormatOf(*type);
  return type->majortype == MEDIATYPE_Audio && wave && WmaStreamEncoder::Accepts(*wave) ? S_OK : S_FALSE;
}

HRESULT CAsfWriterFilter::PreferredInputType(AM_MEDIA_TYPE* type) {
  if (!m_stream) return VFW_S_NO_MORE_ITEMS;
  *type = MakeAudioMediaType(MakePcmFormat(m_stream->format.rateHz, m_stream->format.channels, 16));
  return S_OK;
}

HRESULT CAsfWriterFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (IsStopped()) {
    const HRESULT hr = OpenOutput();
    if (FAILED(hr)) return hr;
  }
  return CBaseFilter::Pause();
}

HRESULT CAsfWriterFilter::OpenOutput() {
  if (FileName().empty() || !m_stream) {
    SetErrorInfo(FileName().empty() ? "No output file was given to the ASF writer." : "The ASF writer has no profile.");
    return E_UNEXPECTED;
  }
  if (!m_input->IsConnected()) return VFW_E_NOT_CONNECTED;
  if ((FileMode() & AM_FILE_OVERWRITE) == 0 && access(FileName().c_str(), F_OK) == 0) {
    SetErrorInfo("\"" + FileName() + "\" exists and the ASF writer may not replace it.");
    return HResultFromErrno(EEXIST);
  }
  const std::optional<WAVEFORMATEX> input = WaveFormatOf(m_input->CurrentMediaType());
  if (!input) return VFW_E_INVALIDMEDIATYPE;
  std::lock_guard lock(m_csWrite);
  m_encoder.reset();
  m_muxer.reset();
  m_errorReported = false;
  m_finishResult = S_OK;
  const WmaCodecFormat& format = m_stream->format;
  HRESULT hr = WmaStreamEncoder::Open(m_stream->codec->encoderName, format.bitsPerSecond, format.rateHz,
                                      format.channels, *input, &m_encoder);
  if (SUCCEEDED(hr)) hr = AsfMuxer::Open(FileName(), m_encoder->Context(), m_stream->language, &m_muxer);
  if (FAILED(hr)) m_encoder.reset();
  return hr;
}

HRESULT CAsfWriterFilter::Stop() {
  const HRESULT hr = CBaseFilter::Stop();
  HRESULT finished;
  {
    std::lock_guard lock(m_csWrite);
    finished = FinishOutput();
  }
  return FAILED(hr) ? hr : finished;
}

HRESULT CAsfWriterFilter::WriteAudio(std::span<const uint8_t> pcm) {
  HRESULT hr;
  {
    std::lock_guard lock(m_csWrite);
    if (!m_encoder) return VFW_E_WRONG_STATE;
    hr = m_encoder->Write(pcm, [this](AVPacket* packet) { return m_muxer->WritePacket(packet); });
  }
  return FAILED(hr) ? ReportFailure(hr) : S_OK;
}

HRESULT CAsfWriterFilter::EndOfStreamReached() {
  HRESULT hr;
  {
    std::lock_guard lock(m_csWrite);
    hr = FinishOutput();
  }
  if (FAILED(hr)) ReportFailure(hr);
  NotifyEvent(EC_COMPLETE, S_OK, 0);
  return S_OK;
}

HRESULT CAsfWriterFilter::FinishOutput() {
  if (!m_encoder) return m_finishResult;
  const HRESULT encoded = m_encoder->Finish([this](AVPacket* packet) { return m_muxer->WritePacket(packet); });
  const HRESULT closed = m_muxer->Close();
  m_encoder.reset();
  m_muxer.reset();
  m_finishResult = FAILED(encoded) ? encoded : closed;
  return m_finishResult;
}

HRESULT CAsfWriterFilter::ReportFailure(HRESULT hr) {
  bool first;
  {
    std::lock_guard lock(m_csWrite);
    first = !m_errorReported;
    m_errorReported = true;
  }
  if (first) NotifyEvent(EC_ERRORABORT, hr, 0);
  return hr;
}
