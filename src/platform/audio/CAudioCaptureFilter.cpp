#include "platform/audio/CAudioCaptureFilter.h"

#include <algorithm>
#include <system_error>

#include "platform/audio/PcmSample.h"

HRESULT CAudioCaptureFilter::Create(const std::shared_ptr<AudioBackend>& backend, int device,
                                    std::shared_ptr<IBaseFilter>* filter) {
  if (!backend || filter == nullptr) return E_POINTER;
  filter->reset();
  AudioDeviceCaps caps;
  const HRESULT hr = backend->CaptureCaps(device, &caps);
  if (FAILED(hr)) return hr;
  *filter = std::make_shared<CAudioCaptureFilter>(backend, device, caps);
  return S_OK;
}

CAudioCaptureFilter::CAudioCaptureFilter(std::shared_ptr<AudioBackend> backend, int device, const AudioDeviceCaps& caps)
    : CBaseFilter(CLSID_AudioRecord),
      m_backend(std::move(backend)),
      m_device(device),
      m_pin(std::make_unique<CAudioCapturePin>(this, caps)) {}

CAudioCaptureFilter::~CAudioCaptureFilter() { EndCapture(); }

CBasePin* CAudioCaptureFilter::GetPin(int n) { return n == 0 ? m_pin.get() : nullptr; }

HRESULT CAudioCaptureFilter::Stop() {
  const HRESULT ended = EndCapture();
  const HRESULT hr = CBaseFilter::Stop();
  return FAILED(ended) ? ended : hr;
}

HRESULT CAudioCaptureFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (m_State != State_Stopped || !m_pin->IsConnected()) {
    if (m_State == State_Running && m_stream) {
      const HRESULT paused = m_stream->Pause();
      if (FAILED(paused)) return paused;
    }
    return CBaseFilter::Pause();
  }
  const WAVEFORMATEX format = m_pin->Format();
  HRESULT hr = m_backend->OpenCapture(m_device, format, &m_stream);
  if (SUCCEEDED(hr)) hr = m_stream->SetReadSize(static_cast<size_t>(m_pin->BufferBytes()));
  if (FAILED(hr)) {
    m_stream.reset();
    return hr;
  }
  hr = CBaseFilter::Pause();
  if (FAILED(hr)) {
    m_stream.reset();
    return hr;
  }
  m_stopping = false;
  try {
    m_thread = std::thread(&CAudioCaptureFilter::CaptureLoop, this, format, m_pin->BufferBytes());
  } catch (const std::system_error&) {
    SetErrorInfo("The capture thread could not be started.");
    m_stream.reset();
    CBaseFilter::Stop();
    return E_OUTOFMEMORY;
  }
  return hr;
}

HRESULT CAudioCaptureFilter::Run(REFERENCE_TIME start) {
  std::lock_guard lock(m_csFilter);
  const HRESULT hr = CBaseFilter::Run(start);
  if (FAILED(hr) || !m_stream) return hr;
  return m_stream->Start();
}

HRESULT CAudioCaptureFilter::EndCapture() {
  if (!m_thread.joinable()) return S_OK;
  m_stopping = true;
  const HRESULT hr = m_stream->Stop();
  m_thread.join();
  m_overrunsBefore += m_stream->OverrunCount();
  m_stream.reset();
  return hr;
}

void CAudioCaptureFilter::CaptureLoop(WAVEFORMATEX format, long bufferBytes) {
  m_framesDelivered = 0;
  const uint64_t limit = m_frameLimit;
  HRESULT failure = S_OK;
  bool ended = false;
  while (!m_stopping && !ended) {
    SamplePtr sample;
    HRESULT hr = m_pin->GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(hr)) {
      if (!m_stopping) failure = hr;
      break;
    }
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    const long room = std::min(bufferBytes, sample->GetSize());
    size_t readBytes = static_cast<size_t>(room - room % format.nBlockAlign);
    if (limit > 0) readBytes = std::min<uint64_t>(readBytes, (limit - m_framesDelivered) * format.nBlockAlign);
    size_t bytes = 0;
    hr = m_stream->Read({data, readBytes}, &bytes, &ended);
    if (FAILED(hr)) {
      failure = hr;
      break;
    }
    if (hr == S_FALSE) break;
    // The stream returns only audio captured while running, a read cut short by a pause or
    // Stop included; the times continue where delivery stopped.
    if (bytes > 0) {
      hr = DeliverCaptured(sample.get(), bytes, format);
      if (FAILED(hr)) {
        failure = hr;
        break;
      }
    }
    if (limit > 0 && m_framesDelivered >= limit) ended = true;
  }
  if (FAILED(failure)) NotifyEvent(EC_ERRORABORT, failure, 0);
  m_pin->DeliverEndOfStream();
}

HRESULT CAudioCaptureFilter::DeliverCaptured(IMediaSample* sample, size_t bytes, const WAVEFORMATEX& format) {
  const uint64_t first = m_framesDelivered;
  const uint64_t last = first + bytes / format.nBlockAlign;
  const REFERENCE_TIME start = static_cast<REFERENCE_TIME>(first * kUnitsPerSecond / format.nSamplesPerSec);
  const REFERENCE_TIME end = static_cast<REFERENCE_TIME>(last * kUnitsPerSecond / format.nSamplesPerSec);
  const int64_t mediaStart = static_cast<int64_t>(first);
  const int64_t mediaEnd = static_cast<int64_t>(last);
  sample->SetTime(&start, &end);
  sample->SetMediaTime(&mediaStart, &mediaEnd);
  sample->SetSyncPoint(true);
  sample->SetDiscontinuity(first == 0);
  sample->SetActualDataLength(static_cast<long>(bytes));
  uint8_t* data = nullptr;
  sample->GetPointer(&data);
  const uint32_t peak = PcmPeak(data, bytes, format.wBitsPerSample);
  uint32_t known = m_peak;
  while (peak > known && !m_peak.compare_exchange_weak(known, peak)) {
  }
  const HRESULT hr = m_pin->Deliver(sample);
  if (SUCCEEDED(hr)) m_framesDelivered = last;
  return hr;
}

double CAudioCaptureFilter::TakePeakLevel() { return m_peak.exchange(0) / 2147483648.0; }
