#include "platform/codecs/CAudioDecoderFilter.h"

#include <algorithm>

namespace {

constexpr uint32_t kCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                   AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                                   AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

// Whole seconds and the rest apart, so long times at high rates cannot overflow.
uint64_t FrameAt(REFERENCE_TIME time, uint32_t rateHz) {
  const uint64_t units = static_cast<uint64_t>(std::max<REFERENCE_TIME>(time, 0));
  const uint64_t second = static_cast<uint64_t>(kUnitsPerSecond);
  return units / second * rateHz + units % second * rateHz / second;
}

REFERENCE_TIME TimeAt(uint64_t frame, uint32_t rateHz) {
  const uint64_t second = static_cast<uint64_t>(kUnitsPerSecond);
  return static_cast<REFERENCE_TIME>(frame / rateHz * second + frame % rateHz * second / rateHz);
}

bool ValidPositioning(uint32_t flags) {
  const uint32_t positioning = flags & AM_SEEKING_PositioningBitsMask;
  return positioning == AM_SEEKING_NoPositioning || positioning == AM_SEEKING_AbsolutePositioning;
}

}  // namespace

CAudioDecoderFilter::CAudioDecoderFilter()
    : CBaseFilter(CLSID_CorvoxAudioDecoder),
      m_input(std::make_unique<CAudioDecoderInputPin>(this)),
      m_output(std::make_unique<CAudioDecoderOutputPin>(this)) {}

CAudioDecoderFilter::~CAudioDecoderFilter() { StopStreaming(); }

CBasePin* CAudioDecoderFilter::GetPin(int n) {
  if (n == 0) return m_input.get();
  if (n == 1) return m_output.get();
  return nullptr;
}

HRESULT CAudioDecoderFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  const bool starting = m_State == State_Stopped;
  const HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr)) return hr;
  if (starting && m_output->IsConnected() && m_decoder) StartStreaming();
  return hr;
}

HRESULT CAudioDecoderFilter::Stop() {
  std::lock_guard lock(m_csFilter);
  m_quit = true;
  // Decommitting the allocator releases a thread waiting for a buffer.
  const HRESULT hr = CBaseFilter::Stop();
  StopStreaming();
  return hr;
}

void CAudioDecoderFilter::StartStreaming() {
  const bool seek = !m_decoderAtStart;
  const uint64_t startFrame = FrameAt(m_start, m_decoder->Format().nSamplesPerSec);
  m_decoderAtStart = false;
  m_quit = false;
  m_thread = std::thread([this, startFrame, seek] { Stream(startFrame, seek); });
}

void CAudioDecoderFilter::StopStreaming() {
  m_quit = true;
  if (m_thread.joinable()) m_thread.join();
}

void CAudioDecoderFilter::Stream(uint64_t startFrame, bool seek) {
  if (seek) {
    const HRESULT hr = m_decoder->Seek(startFrame);
    if (FAILED(hr)) return Abort(hr);
  }
  const WAVEFORMATEX format = m_decoder->Format();
  uint64_t position = startFrame;
  bool discontinuity = true;
  while (!m_quit) {
    const uint64_t stopFrame = m_stopFrame.load();
    if (position >= stopFrame) {
      m_output->DeliverEndOfStream();
      return;
    }
    SamplePtr sample;
    if (FAILED(m_output->GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) return;  // stopping
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    const uint64_t room =
        std::min<uint64_t>(static_cast<uint64_t>(sample->GetSize()) / format.nBlockAlign, stopFrame - position);
    size_t got = 0;
    HRESULT hr = m_decoder->Read(data, static_cast<size_t>(room), &got);
    if (FAILED(hr)) return Abort(hr);
    if (hr == S_FALSE) {
      m_output->DeliverEndOfStream();
      return;
    }
    REFERENCE_TIME start = TimeAt(position, format.nSamplesPerSec);
    REFERENCE_TIME end = TimeAt(position + got, format.nSamplesPerSec);
    int64_t mediaStart = static_cast<int64_t>(position);
    int64_t mediaEnd = static_cast<int64_t>(position + got);
    sample->SetActualDataLength(static_cast<long>(got * format.nBlockAlign));
    sample->SetTime(&start, &end);
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    sample->SetSyncPoint(true);
    sample->SetDiscontinuity(discontinuity);
    hr = m_output->Deliver(sample.get());
    position += got;
    discontinuity = false;
    // S_FALSE: downstream is flushing or wants no more; a failure it has reported itself.
    if (hr != S_OK) return;
  }
}

void CAudioDecoderFilter::Abort(HRESULT hr) {
  if (!m_quit) NotifyEvent(EC_ERRORABORT, hr, 0);
}

HRESULT CAudioDecoderFilter::OpenFile(IAsyncReader* reader) {
  if (reader == nullptr) return E_NOINTERFACE;
  std::unique_ptr<FfmpegAudioDecoder> decoder;
  const HRESULT hr = FfmpegAudioDecoder::Open(reader, &decoder);
  if (FAILED(hr)) return hr;
  std::lock_guard lock(m_csFilter);
  m_decoder = std::move(decoder);
  m_start = 0;
  m_stop.reset();
  m_stopFrame = UINT64_MAX;
  m_decoderAtStart = true;
  return S_OK;
}

void CAudioDecoderFilter::CloseFile() {
  std::lock_guard lock(m_csFilter);
  StopStreaming();
  m_decoder.reset();
}

std::optional<WAVEFORMATEX> CAudioDecoderFilter::OutputFormat() const {
  if (!m_decoder) return std::nullopt;
  return m_decoder->Format();
}

HRESULT CAudioDecoderFilter::GetCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  *capabilities = kCapabilities;
  return S_OK;
}

HRESULT CAudioDecoderFilter::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                                          uint32_t stopFlags) {
  if (!ValidPositioning(currentFlags) || !ValidPositioning(stopFlags)) return E_INVALIDARG;
  std::lock_guard lock(m_csFilter);
  if (!m_decoder) return VFW_E_NOT_CONNECTED;
  const uint32_t rateHz = m_decoder->Format().nSamplesPerSec;
  const bool moveStart = current && (currentFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning;
  const bool moveStop = stop && (stopFlags & AM_SEEKING_PositioningBitsMask) == AM_SEEKING_AbsolutePositioning;
  if ((moveStart && *current < 0) || (moveStop && *stop < 0)) return E_INVALIDARG;
  if (moveStop) {
    m_stop = *stop;
    m_stopFrame = FrameAt(*stop, rateHz);
  }
  if (!moveStart) return S_OK;
  m_start = *current;
  m_decoderAtStart = false;
  if (IsStopped() || !m_output->IsConnected()) return S_OK;
  // Running or paused: drop what is on its way downstream and continue from the new start.
  m_output->DeliverBeginFlush();
  StopStreaming();
  m_output->DeliverEndFlush();
  StartStreaming();
  return S_OK;
}

HRESULT CAudioDecoderFilter::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (!m_decoder) return VFW_E_NOT_CONNECTED;
  *current = m_start;
  return S_OK;
}

HRESULT CAudioDecoderFilter::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (m_stop) {
    *stop = *m_stop;
    return S_OK;
  }
  return GetDuration(stop);
}

HRESULT CAudioDecoderFilter::GetDuration(REFERENCE_TIME* duration) {
  if (duration == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  if (!m_decoder) return VFW_E_NOT_CONNECTED;
  if (m_decoder->DurationFrames() == 0) {
    SetErrorInfo("The file does not state its length.");
    return E_FAIL;
  }
  *duration = TimeAt(m_decoder->DurationFrames(), m_decoder->Format().nSamplesPerSec);
  return S_OK;
}
