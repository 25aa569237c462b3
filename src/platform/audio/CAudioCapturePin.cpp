#include "platform/audio/CAudioCapturePin.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace {

constexpr int64_t kMaxBufferSeconds = 10;
constexpr long kMaxBuffers = 64;

// 44100 Hz stereo 16-bit, brought inside what the device can do.
WAVEFORMATEX DefaultFormat(const AudioDeviceCaps& caps) {
  uint16_t bits = 16;
  if (!caps.bitsPerSample.empty() &&
      std::find(caps.bitsPerSample.begin(), caps.bitsPerSample.end(), bits) == caps.bitsPerSample.end())
    bits = caps.bitsPerSample.back();
  const uint32_t rateHz = std::clamp<uint32_t>(44100, caps.minRateHz, std::max(caps.minRateHz, caps.maxRateHz));
  const uint16_t channels = std::clamp<uint16_t>(2, caps.minChannels, std::max(caps.minChannels, caps.maxChannels));
  return MakePcmFormat(rateHz, channels, bits);
}

bool IsPowerOfTwo(long value) { return value > 0 && (value & (value - 1)) == 0; }

}  // namespace

CAudioCapturePin::CAudioCapturePin(CBaseFilter* filter, const AudioDeviceCaps& caps)
    : CBaseOutputPin(filter, "Capture"), m_caps(caps), m_format(DefaultFormat(caps)) {}

WAVEFORMATEX CAudioCapturePin::Format() {
  std::lock_guard lock(m_pFilter->FilterLock());
  return m_format;
}

long CAudioCapturePin::BufferBytes() {
  std::lock_guard lock(m_pFilter->FilterLock());
  return m_bufferBytes;
}

HRESULT CAudioCapturePin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  return type->majortype == MEDIATYPE_Audio && type->subtype == MEDIASUBTYPE_PCM && WaveFormatOf(*type) == m_format
             ? S_OK
             : S_FALSE;
}

HRESULT CAudioCapturePin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  std::lock_guard lock(m_pFilter->FilterLock());
  *type = MakeAudioMediaType(m_format);
  return S_OK;
}

ALLOCATOR_PROPERTIES CAudioCapturePin::PlannedProperties() const {
  const long frameBytes = m_format.nBlockAlign;
  const long halfSecond = static_cast<long>(m_format.nAvgBytesPerSec / 2);
  const long bufferBytes = m_suggested.cbBuffer > 0 ? m_suggested.cbBuffer : halfSecond;
  ALLOCATOR_PROPERTIES planned;
  planned.cBuffers = m_suggested.cBuffers > 0 ? m_suggested.cBuffers : kDefaultBuffers;
  planned.cbBuffer = std::max(frameBytes, bufferBytes / frameBytes * frameBytes);
  planned.cbAlign = m_suggested.cbAlign > 0 ? m_suggested.cbAlign : 1;
  planned.cbPrefix = std::max(0L, m_suggested.cbPrefix);
  return planned;
}

HRESULT CAudioCapturePin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  ALLOCATOR_PROPERTIES wanted = PlannedProperties();
  // The input pin's requirements arrive in `request`; honour the stricter of both.
  wanted.cBuffers = std::max(wanted.cBuffers, request->cBuffers);
  wanted.cbAlign = std::max(wanted.cbAlign, request->cbAlign);
  wanted.cbPrefix = std::max(wanted.cbPrefix, request->cbPrefix);
  ALLOCATOR_PROPERTIES actual;
  const HRESULT hr = allocator->SetProperties(&wanted, &actual);
  if (FAILED(hr)) return hr;
  if (actual.cBuffers < 1 || actual.cbBuffer < wanted.cbBuffer) return E_FAIL;
  m_bufferBytes = wanted.cbBuffer;
  *request = actual;
  return S_OK;
}

HRESULT CAudioCapturePin::SetFormat(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
  const std::optional<WAVEFORMATEX> format = type->majortype == MEDIATYPE_Audio ? WaveFormatOf(*type) : std::nullopt;
  if (!format) {
    SetErrorInfo("The capture device takes only audio formats described by a wave format record.");
    return VFW_E_INVALIDMEDIATYPE;
  }
  std::string reason;
  const HRESULT hr = m_caps.Check(*format, &reason);
  if (FAILED(hr)) {
    SetErrorInfo("The capture device cannot record this format: " + reason);
    return hr;
  }
  const WAVEFORMATEX plain = MakePcmFormat(format->nSamplesPerSec, format->nChannels, format->wBitsPerSample);
  if (plain == m_format) return S_OK;
  if (IsConnected()) return Reconnect(plain);
  m_format = plain;
  return S_OK;
}

HRESULT CAudioCapturePin::Reconnect(const WAVEFORMATEX& format) {
  IPin* peer = m_Connected;
  const AM_MEDIA_TYPE wanted = MakeAudioMediaType(format);
  if (peer->QueryAccept(&wanted) != S_OK) {
    SetErrorInfo("The filter connected to the capture pin does not accept the new format.");
    return VFW_E_TYPE_NOT_ACCEPTED;
  }
  const WAVEFORMATEX previous = m_format;
  peer->Disconnect();
  Disconnect();
  m_format = format;
  HRESULT hr = Connect(peer, &wanted);
  if (FAILED(hr)) {
    SetErrorInfo("The capture pin could not reconnect with the new format.");
    m_format = previous;
    const AM_MEDIA_TYPE restored = MakeAudioMediaType(previous);
    Connect(peer, &restored);
  }
  return hr;
}

HRESULT CAudioCapturePin::GetFormat(AM_MEDIA_TYPE* type) { return GetMediaType(0, type); }

HRESULT CAudioCapturePin::GetNumberOfCapabilities(int* count, int* size) {
  if (count == nullptr || size == nullptr) return E_POINTER;
  *count = static_cast<int>(m_caps.bitsPerSample.size());
  *size = static_cast<int>(sizeof(AUDIO_STREAM_CONFIG_CAPS));
  return S_OK;
}

HRESULT CAudioCapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE* type, AUDIO_STREAM_CONFIG_CAPS* caps) {
  if (type == nullptr || caps == nullptr) return E_POINTER;
  if (index < 0) return E_INVALIDARG;
  if (static_cast<size_t>(index) >= m_caps.bitsPerSample.size()) return S_FALSE;
  const uint16_t bits = m_caps.bitsPerSample[static_cast<size_t>(index)];
  {
    std::lock_guard lock(m_pFilter->FilterLock());
    *type = MakeAudioMediaType(MakePcmFormat(m_format.nSamplesPerSec, m_format.nChannels, bits));
  }
  *caps = {};
  caps->guid = MEDIATYPE_Audio;
  caps->MinimumChannels = m_caps.minChannels;
  caps->MaximumChannels = m_caps.maxChannels;
  caps->ChannelsGranularity = 1;
  caps->MinimumBitsPerSample = bits;
  caps->MaximumBitsPerSample = bits;
  caps->BitsPerSampleGranularity = 8;
  caps->MinimumSampleFrequency = m_caps.minRateHz;
  caps->MaximumSampleFrequency = m_caps.maxRateHz;
  caps->SampleFrequencyGranularity = 1;
  return S_OK;
}

HRESULT CAudioCapturePin::SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) {
  if (properties == nullptr) return E_POINTER;
  if (properties->cbAlign > 0 && !IsPowerOfTwo(properties->cbAlign)) return E_INVALIDARG;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
  // A stored latency can be any number; memory for more than this would only hurt.
  const int64_t maxBufferBytes = int64_t{m_format.nAvgBytesPerSec} * kMaxBufferSeconds;
  if (properties->cbBuffer > maxBufferBytes || properties->cBuffers > kMaxBuffers) {
    SetErrorInfo("The capture buffer may hold at most " + std::to_string(kMaxBufferSeconds) + " seconds in at most " +
                 std::to_string(kMaxBuffers) + " buffers.");
    return E_INVALIDARG;
  }
  const ALLOCATOR_PROPERTIES previous = m_suggested;
  m_suggested = *properties;
  if (!IsConnected()) return S_OK;
  // The recorder suggests after connecting, so the agreed allocator is resized in place.
  HRESULT hr = DecideAllocator(m_pInputPin, &m_pAllocator);
  if (FAILED(hr)) {
    SetErrorInfo("The capture buffer could not be resized.");
    m_suggested = previous;
    DecideAllocator(m_pInputPin, &m_pAllocator);
  }
  return hr;
}

HRESULT CAudioCapturePin::GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) {
  if (properties == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (IsConnected() && m_pAllocator) return m_pAllocator->GetProperties(properties);
  *properties = PlannedProperties();
  return S_OK;
}
