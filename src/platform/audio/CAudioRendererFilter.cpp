#include "platform/audio/CAudioRendererFilter.h"

HRESULT CAudioRendererFilter::Create(const std::shared_ptr<AudioBackend>& backend,
                                     std::shared_ptr<IBaseFilter>* filter) {
  if (!backend || filter == nullptr) return E_POINTER;
  filter->reset();
  AudioDeviceCaps caps;
  const HRESULT hr = backend->PlaybackCaps(&caps);
  if (FAILED(hr)) return hr;
  *filter = std::make_shared<CAudioRendererFilter>(backend, caps);
  return S_OK;
}

CAudioRendererFilter::CAudioRendererFilter(std::shared_ptr<AudioBackend> backend, const AudioDeviceCaps& caps)
    : CBaseFilter(CLSID_AudioRender),
      m_backend(std::move(backend)),
      m_pin(std::make_unique<CAudioRendererInputPin>(this, caps)) {}

CBasePin* CAudioRendererFilter::GetPin(int n) { return n == 0 ? m_pin.get() : nullptr; }

HRESULT CAudioRendererFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (m_State == State_Stopped && m_pin->IsConnected()) {
    const std::optional<WAVEFORMATEX> format = WaveFormatOf(m_pin->CurrentMediaType());
    if (!format) return VFW_E_NOT_CONNECTED;
    std::unique_ptr<AudioPlaybackStream> stream;
    const HRESULT hr = m_backend->OpenPlayback(*format, &stream);
    if (FAILED(hr)) return hr;
    std::lock_guard receive(m_csReceive);
    m_stream = std::move(stream);
  }
  const HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr)) CloseStream();
  return hr;
}

HRESULT CAudioRendererFilter::Run(REFERENCE_TIME start) {
  const HRESULT hr = CBaseFilter::Run(start);
  OpenGate();
  return hr;
}

HRESULT CAudioRendererFilter::Stop() {
  // A write or drain in progress returns at once; the stream is closed once the streaming
  // thread has left it.
  if (m_stream) m_stream->SetFlushing(true);
  const HRESULT hr = CBaseFilter::Stop();
  OpenGate();
  CloseStream();
  return hr;
}

HRESULT CAudioRendererFilter::Render(IMediaSample* sample) {
  {
    std::unique_lock gate(m_gateMutex);
    m_gateChanged.wait(gate, [this] { return State() != State_Paused || m_pin->IsFlushing(); });
  }
  if (m_pin->IsFlushing()) return S_FALSE;
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  std::lock_guard lock(m_csReceive);
  if (IsStopped() || !m_stream) return VFW_E_WRONG_STATE;
  return m_stream->Write({data, static_cast<size_t>(sample->GetActualDataLength())});
}

HRESULT CAudioRendererFilter::EndOfStream() {
  HRESULT hr;
  {
    std::lock_guard lock(m_csReceive);
    hr = m_stream ? m_stream->Drain() : VFW_E_WRONG_STATE;
  }
  if (hr != S_OK) return hr;
  NotifyEvent(EC_COMPLETE, S_OK, 0);
  return S_OK;
}

HRESULT CAudioRendererFilter::SetFlushing(bool flushing) {
  if (m_stream) m_stream->SetFlushing(flushing);
  if (flushing) OpenGate();
  return S_OK;
}

void CAudioRendererFilter::OpenGate() {
  { std::lock_guard gate(m_gateMutex); }
  m_gateChanged.notify_all();
}

void CAudioRendererFilter::CloseStream() {
  std::lock_guard lock(m_csReceive);
  m_stream.reset();
}
