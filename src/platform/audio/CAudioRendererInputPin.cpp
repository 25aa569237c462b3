#include "platform/audio/CAudioRendererInputPin.h"

#include "platform/audio/CAudioRendererFilter.h"

CAudioRendererInputPin::CAudioRendererInputPin(CAudioRendererFilter* filter, const AudioDeviceCaps& caps)
    : CBaseInputPin(filter, "Audio Input pin (rendered)"), m_renderer(filter), m_caps(caps) {}

HRESULT CAudioRendererInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (type->majortype != MEDIATYPE_Audio) return S_FALSE;
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(*type);
  return format && SUCCEEDED(m_caps.Check(*format, nullptr)) ? S_OK : S_FALSE;
}

HRESULT CAudioRendererInputPin::Receive(IMediaSample* sample) {
  const HRESULT hr = CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  // The device was opened for the connection's format; it does not change mid-stream.
  const AM_MEDIA_TYPE* changed = sample->GetMediaType();
  if (changed && *changed != CurrentMediaType()) return VFW_E_INVALIDMEDIATYPE;
  return m_renderer->Render(sample);
}

HRESULT CAudioRendererInputPin::EndOfStream() {
  const HRESULT hr = CBaseInputPin::EndOfStream();
  if (hr != S_OK) return hr;
  return m_renderer->EndOfStream();
}

HRESULT CAudioRendererInputPin::BeginFlush() {
  CBaseInputPin::BeginFlush();
  return m_renderer->SetFlushing(true);
}

HRESULT CAudioRendererInputPin::EndFlush() {
  m_renderer->SetFlushing(false);
  return CBaseInputPin::EndFlush();
}
