#include "platform/audio/CAudioRendererFilter.h"

#include "platform/audio/PcmGain.h"

namespace {

constexpr uint32_t kCapabilities = AM_SEEKING_CanGetCurrentPos;

REFERENCE_TIME DurationOf(uint64_t frames, uint32_t rateHz) {
  const uint64_t second = static_cast<uint64_t>(kUnitsPerSecond);
  return rateHz == 0 ? 0 : static_cast<REFERENCE_TIME>(frames / rateHz * second + frames % rateHz * second / rateHz);
}

}  // namespace

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
  OpenGate();  // a held end of stream waits again, now for the next run
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
  ForgetPosition();
  return hr;
}

HRESULT CAudioRendererFilter::Render(IMediaSample* sample) {
  if (!WaitUntilRunning()) return m_pin->IsFlushing() ? S_FALSE : VFW_E_WRONG_STATE;
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const size_t length = static_cast<size_t>(sample->GetActualDataLength());
  std::lock_guard lock(m_csReceive);
  if (IsStopped() || !m_stream) return VFW_E_WRONG_STATE;
  const WAVEFORMATEX format = WaveFormatOf(m_pin->CurrentMediaType()).value_or(WAVEFORMATEX{});
  const long volume = m_volume.load();
  if (volume != 0) {
    m_scaled.resize(length);
    ApplyPcmGain(data, m_scaled.data(), length, format.wBitsPerSample, GainFromVolume(volume));
    data = m_scaled.data();
  }
  hr = m_stream->Write({data, length});
  if (hr != S_OK) return hr;

  const REFERENCE_TIME played = DurationOf(format.nBlockAlign ? length / format.nBlockAlign : 0, format.nSamplesPerSec);
  REFERENCE_TIME start = 0, end = 0;
  const HRESULT timed = sample->GetTime(&start, &end);
  std::lock_guard position(m_positionMutex);
  if (timed == S_OK)
    m_lastEnd = end;
  else if (timed == VFW_S_NO_STOP_TIME)
    m_lastEnd = start + played;
  else
    m_lastEnd = (m_positionKnown ? m_lastEnd : 0) + played;
  m_positionKnown = true;
  return S_OK;
}

HRESULT CAudioRendererFilter::EndOfStream() {
  // Completion means the audio was heard while running: wait for a run, then for the device to
  // play out, then check again (a pause while draining defers the report).
  if (!WaitUntilRunning()) return S_OK;
  HRESULT hr;
  {
    std::lock_guard lock(m_csReceive);
    hr = m_stream ? m_stream->Drain() : VFW_E_WRONG_STATE;
  }
  if (hr != S_OK) return hr;
  if (!WaitUntilRunning()) return S_OK;
  NotifyEvent(EC_COMPLETE, S_OK, 0);
  return S_OK;
}

HRESULT CAudioRendererFilter::SetFlushing(bool flushing) {
  if (m_stream) m_stream->SetFlushing(flushing);
  if (flushing) {
    ForgetPosition();
    OpenGate();
  }
  return S_OK;
}

bool CAudioRendererFilter::WaitUntilRunning() {
  std::unique_lock gate(m_gateMutex);
  m_gateChanged.wait(gate, [this] { return State() != State_Paused || m_pin->IsFlushing(); });
  return State() == State_Running && !m_pin->IsFlushing();
}

void CAudioRendererFilter::OpenGate() {
  { std::lock_guard gate(m_gateMutex); }
  m_gateChanged.notify_all();
}

void CAudioRendererFilter::CloseStream() {
  std::lock_guard lock(m_csReceive);
  m_stream.reset();
}

void CAudioRendererFilter::ForgetPosition() {
  std::lock_guard lock(m_positionMutex);
  m_positionKnown = false;
}

HRESULT CAudioRendererFilter::put_Volume(long volume) {
  if (volume < AM_VOLUME_SILENCE || volume > 0) return E_INVALIDARG;
  m_volume = volume;
  return S_OK;
}

HRESULT CAudioRendererFilter::get_Volume(long* volume) {
  if (volume == nullptr) return E_POINTER;
  *volume = m_volume.load();
  return S_OK;
}

HRESULT CAudioRendererFilter::GetCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  *capabilities = kCapabilities;
  return S_OK;
}

HRESULT CAudioRendererFilter::SetPositions(REFERENCE_TIME*, uint32_t, REFERENCE_TIME*, uint32_t) { return E_NOTIMPL; }

HRESULT CAudioRendererFilter::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(m_pin->CurrentMediaType());
  // Asked on the control thread, which alone replaces the stream.
  const uint64_t unplayed = m_stream ? m_stream->UnplayedFrames() : 0;
  std::lock_guard lock(m_positionMutex);
  if (!m_positionKnown || !format) return S_FALSE;
  *current = std::max<REFERENCE_TIME>(m_lastEnd - DurationOf(unplayed, format->nSamplesPerSec), 0);
  return S_OK;
}

HRESULT CAudioRendererFilter::GetStopPosition(REFERENCE_TIME*) { return E_NOTIMPL; }
HRESULT CAudioRendererFilter::GetDuration(REFERENCE_TIME*) { return E_NOTIMPL; }
