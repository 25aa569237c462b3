#include "filters/VorbisEncOutputPin.h"

#include "filters/VorbisEnc.h"

CVorbisEncOutputPin::CVorbisEncOutputPin(const std::string& name, CVorbisEnc* filter, HRESULT* result)
    : CTransformOutputPin(name, filter, result), m_pEncoder(filter) {}

HRESULT CVorbisEncOutputPin::SetFormat(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pEncoder->FilterLock());
  const CTransformInputPin* input = m_pEncoder->InputPin();
  if (!input->IsConnected()) return VFW_E_NOT_CONNECTED;
  if (!m_pEncoder->IsStopped()) return VFW_E_NOT_STOPPED;
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(*type);
  if (!format) return VFW_E_INVALIDMEDIATYPE;
  const std::optional<WAVEFORMATEX> wave = WaveFormatOf(input->CurrentMediaType());
  if (!wave || format->nChannels != wave->nChannels ||
      format->nSamplesPerSec != static_cast<int32_t>(wave->nSamplesPerSec))
    return VFW_E_TYPE_NOT_ACCEPTED;
  m_pEncoder->SetSettings(*format);
  return SetMediaType(type);
}

HRESULT CVorbisEncOutputPin::GetFormat(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pEncoder->FilterLock());
  if (!m_pEncoder->InputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
  if (CurrentMediaType().majortype != GUID_NULL) {
    *type = CurrentMediaType();
    return S_OK;
  }
  return m_pEncoder->GetMediaType(0, type);
}

HRESULT CVorbisEncOutputPin::GetNumberOfCapabilities(int*, int*) { return E_NOTIMPL; }

HRESULT CVorbisEncOutputPin::GetStreamCaps(int, AM_MEDIA_TYPE*, AUDIO_STREAM_CONFIG_CAPS*) { return E_NOTIMPL; }
