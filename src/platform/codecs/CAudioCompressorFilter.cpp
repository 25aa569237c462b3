#include "platform/codecs/CAudioCompressorFilter.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace {

std::optional<WAVEFORMATEX> AcceptablePcm(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM) return std::nullopt;
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(type);
  if (!format || format->wFormatTag != WAVE_FORMAT_PCM) return std::nullopt;
  if (format->wBitsPerSample != 8 && format->wBitsPerSample != 16) return std::nullopt;
  if (format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8) return std::nullopt;
  return format;
}

REFERENCE_TIME TimeOf(int64_t frame, uint32_t rateHz) { return frame * kUnitsPerSecond / rateHz; }

}  // namespace

HRESULT CAudioCompressorFilter::Create(const AudioCompressorDescription& description,
                                       std::shared_ptr<IBaseFilter>* filter) {
  if (filter == nullptr) return E_POINTER;
  HRESULT hr = S_OK;
  std::shared_ptr<CAudioCompressorFilter> made(new (std::nothrow) CAudioCompressorFilter(description, &hr));
  if (!made) return E_OUTOFMEMORY;
  if (FAILED(hr)) return hr;
  *filter = std::move(made);
  return S_OK;
}

CAudioCompressorFilter::CAudioCompressorFilter(const AudioCompressorDescription& description, HRESULT* result)
    : CTransformFilter(CLSID_ACMWrapper, "Input", "Output"),
      m_description(description),
      m_sink([this](std::span<const uint8_t> packet, int64_t firstFrame, int64_t frames) {
        const uint32_t rateHz = m_encoder->RateHz();
        return QueueOutput(packet, TimeOf(firstFrame, rateHz), TimeOf(firstFrame + frames, rateHz));
      }) {
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

HRESULT CAudioCompressorFilter::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> format = AcceptablePcm(*input);
  if (format && m_description.Accepts(format->nSamplesPerSec, format->nChannels)) return S_OK;
  // Tells the user why the recording chain cannot be built with this compressor.
  if (const std::optional<WAVEFORMATEX> offered = WaveFormatOf(*input)) {
    char rate[32] = "";
    if (m_description.onlyRateHz != 0) snprintf(rate, sizeof rate, " at %u Hz", m_description.onlyRateHz);
    char text[256];
    snprintf(text, sizeof text,
             "%s compresses 8- or 16-bit PCM%s, %s; the audio offered is %u Hz, %u channel(s), %u bits.",
             m_description.name, rate, m_description.maxChannels == 1 ? "mono" : "mono or stereo",
             offered->nSamplesPerSec, offered->nChannels, offered->wBitsPerSample);
    SetErrorInfo(text);
  }
  return S_FALSE;
}

HRESULT CAudioCompressorFilter::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  std::unique_ptr<FfmpegAudioEncoder> encoder;
  AM_MEDIA_TYPE made;
  if (FAILED(OpenEncoder(*input, &encoder)) || FAILED(m_description.OutputType(*encoder, &made))) return S_FALSE;
  return made == *output ? S_OK : S_FALSE;
}

HRESULT CAudioCompressorFilter::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  std::unique_ptr<FfmpegAudioEncoder> encoder;
  const HRESULT hr = OpenEncoder(InputPin()->CurrentMediaType(), &encoder);
  if (FAILED(hr)) return hr;
  return m_description.OutputType(*encoder, type);
}

HRESULT CAudioCompressorFilter::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input,
                                                          ALLOCATOR_PROPERTIES* request) {
  const AM_MEDIA_TYPE& type = InputPin()->CurrentMediaType();
  std::unique_ptr<FfmpegAudioEncoder> encoder;
  const HRESULT hr = OpenEncoder(type, &encoder);
  if (FAILED(hr)) return hr;
  // A partly filled frame carried over from the previous input sample adds one encoder frame.
  const long inputFrames = input.cbBuffer / WaveFormatOf(type)->nBlockAlign;
  const long encoderFrames = inputFrames / encoder->FrameLength() + 2;
  request->cBuffers = std::max(request->cBuffers, 2L);
  request->cbBuffer = std::max(request->cbBuffer, encoderFrames * encoder->EncodedFrameBytes());
  request->cbAlign = std::max(request->cbAlign, 1L);
  return S_OK;
}

HRESULT CAudioCompressorFilter::StartStreaming() { return OpenEncoder(InputPin()->CurrentMediaType(), &m_encoder); }

HRESULT CAudioCompressorFilter::StopStreaming() {
  m_encoder.reset();
  return S_OK;
}

HRESULT CAudioCompressorFilter::Receive(IMediaSample* sample) {
  if (!m_encoder) return VFW_E_WRONG_STATE;
  // The encoder is set up for the connected format; a sample may not change it.
  const AM_MEDIA_TYPE* changed = sample->GetMediaType();
  if (changed && *changed != InputPin()->CurrentMediaType()) return VFW_E_INVALIDMEDIATYPE;
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long length = sample->GetActualDataLength();
  if (length < 0 || length > sample->GetSize()) return VFW_E_BUFFER_OVERFLOW;
  hr = m_encoder->Write({data, static_cast<size_t>(length)}, m_sink);
  const HRESULT delivered = DeliverQueuedOutput();
  return hr != S_OK ? hr : delivered;
}

HRESULT CAudioCompressorFilter::EndOfStream() {
  HRESULT hr = m_encoder ? m_encoder->Finish(m_sink) : VFW_E_WRONG_STATE;
  const HRESULT delivered = DeliverQueuedOutput();
  if (hr == S_OK) hr = delivered;
  if (FAILED(hr)) NotifyEvent(EC_ERRORABORT, hr, 0);
  const HRESULT ended = CTransformFilter::EndOfStream();
  return FAILED(hr) ? hr : ended;
}

HRESULT CAudioCompressorFilter::OpenEncoder(const AM_MEDIA_TYPE& input,
                                            std::unique_ptr<FfmpegAudioEncoder>* encoder) const {
  const std::optional<WAVEFORMATEX> format = AcceptablePcm(input);
  if (!format || !m_description.Accepts(format->nSamplesPerSec, format->nChannels)) return VFW_E_TYPE_NOT_ACCEPTED;
  return m_description.OpenEncoder(format->nSamplesPerSec, format->nChannels, format->wBitsPerSample, encoder);
}
