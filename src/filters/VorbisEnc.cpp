#include "filters/VorbisEnc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "filters/TimeScale.h"
#include "filters/VorbisEncOutputPin.h"

namespace {

std::optional<VorbisInputLayout> LayoutOf(const AM_MEDIA_TYPE& type) {
  if (type.formattype != FORMAT_WaveFormatEx) return std::nullopt;
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(type);
  if (!format) return std::nullopt;
  const std::span<const uint8_t> block(type.format);
  return VorbisInputLayout::From(
      *format, block.size() > kWaveFormatExBytes ? block.subspan(kWaveFormatExBytes) : std::span<const uint8_t>{});
}

std::string RefusalText(const VORBISFORMAT& format) {
  char settings[160];
  if (IsVorbisQualityMode(format.fQuality))
    std::snprintf(settings, sizeof settings, "quality %.3f", format.fQuality);
  else
    std::snprintf(settings, sizeof settings, "bitrates of %d, %d and %d bit/s (minimum, average, maximum)",
                  format.nMinBitsPerSec, format.nAvgBitsPerSec, format.nMaxBitsPerSec);
  return "The Vorbis encoder cannot encode " + std::to_string(format.nChannels) + " channel(s) at " +
         std::to_string(format.nSamplesPerSec) + " Hz with " + settings + "; choose other Ogg settings.";
}

}  // namespace

CVorbisEnc::CVorbisEnc(HRESULT* result) : CTransformFilter(CLSID_VorbisEnc, "PCM Audio", "Ogg Vorbis Packets") {
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

std::unique_ptr<CTransformOutputPin> CVorbisEnc::MakeOutputPin(const std::string& name) {
  return std::make_unique<CVorbisEncOutputPin>(name, this, nullptr);
}

HRESULT CVorbisEnc::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input == nullptr) return E_POINTER;
  return LayoutOf(*input) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVorbisEnc::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  if (!IsVorbisMediaType(*output)) return VFW_E_TYPE_NOT_ACCEPTED;
  return CheckInputType(input);
}

HRESULT CVorbisEnc::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const std::optional<WAVEFORMATEX> input = WaveFormatOf(InputPin()->CurrentMediaType());
  if (!input) return E_UNEXPECTED;
  VORBISFORMAT format = m_settings;
  format.nChannels = input->nChannels;
  format.nSamplesPerSec = static_cast<int32_t>(input->nSamplesPerSec);
  try {
    *type = MakeVorbisMediaType(format);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CVorbisEnc::SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) {
  if (direction == PINDIR_OUTPUT) return S_OK;
  if (type == nullptr) return E_POINTER;
  m_layout = LayoutOf(*type);
  if (!m_layout) return VFW_E_TYPE_NOT_ACCEPTED;
  m_rateHz = WaveFormatOf(*type)->nSamplesPerSec;
  return S_OK;
}

HRESULT CVorbisEnc::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES&, ALLOCATOR_PROPERTIES* request) {
  request->cBuffers = std::max(request->cBuffers, 1L);
  const long perChannel = m_layout ? kVorbisBufferBytesPerChannel * m_layout->Channels() : 0;
  request->cbBuffer = std::max({request->cbBuffer, kVorbisMinBufferBytes, perChannel});
  request->cbAlign = 1;
  request->cbPrefix = 0;
  return S_OK;
}

HRESULT CVorbisEnc::StartStreaming() {
  std::optional<VORBISFORMAT> format = VorbisFormatOf(OutputPin()->CurrentMediaType());
  if (!format || !m_layout) return E_UNEXPECTED;
  // A type set for other channels or another rate would have the library read past the
  // buffers the input fills.
  if (format->nChannels != m_layout->Channels() || format->nSamplesPerSec != static_cast<int32_t>(m_rateHz))
    return VFW_E_TYPE_NOT_ACCEPTED;
  m_framesWritten = 0;
  m_headersSent = false;
  m_ended = false;
  m_refusal.clear();
  if (m_analysis.Open(*format)) return S_OK;
  m_refusal = RefusalText(*format);
  return S_FALSE;
}

HRESULT CVorbisEnc::StopStreaming() {
  m_analysis.Close();
  return S_OK;
}

HRESULT CVorbisEnc::Receive(IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  if (!m_analysis.IsOpen()) {
    SetErrorInfo(m_refusal);
    return VFW_E_RUNTIME_ERROR;
  }
  if (m_ended) return VFW_E_SAMPLE_REJECTED_EOS;
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const int64_t frames = std::max(sample->GetActualDataLength(), 0L) / m_layout->BlockBytes();
  REFERENCE_TIME start = 0, end = 0;
  hr = sample->GetTime(&start, &end);
  // An untimed sample continues where the last one ended.
  const int64_t position = SUCCEEDED(hr) ? FramesAt(start) : m_framesWritten;
  const int64_t behind = std::clamp(m_framesWritten - position, int64_t{0}, frames);
  if (behind == frames) return S_OK;
  return Encode(data + behind * m_layout->BlockBytes(), frames - behind, position + behind - m_framesWritten);
}

HRESULT CVorbisEnc::EndOfStream() {
  HRESULT drained = S_OK;
  if (m_analysis.IsOpen() && !m_ended) {
    m_ended = true;
    m_analysis.Wrote(0);
    drained = Drain();
  }
  // The end of stream goes on even after a failed drain, so the downstream still finishes
  // its file with what it received.
  const HRESULT hr = CTransformFilter::EndOfStream();
  return FAILED(drained) ? drained : hr;
}

HRESULT CVorbisEnc::Encode(const uint8_t* input, int64_t frames, int64_t silence) {
  while (silence > 0 || frames > 0) {
    float** buffer = m_analysis.Buffer(kVorbisChunkFrames);
    const int quiet = static_cast<int>(std::min<int64_t>(silence, kVorbisChunkFrames));
    for (int channel = 0; channel < m_layout->Channels(); ++channel) std::fill_n(buffer[channel], quiet, 0.0f);
    const int copied = static_cast<int>(std::min<int64_t>(frames, kVorbisChunkFrames - quiet));
    m_layout->Copy(input, static_cast<size_t>(copied), buffer, static_cast<size_t>(quiet));
    silence -= quiet;
    frames -= copied;
    input += static_cast<size_t>(copied) * m_layout->BlockBytes();
    m_framesWritten += quiet + copied;
    m_analysis.Wrote(quiet + copied);
    const HRESULT hr = Drain();
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CVorbisEnc::Drain() {
  if (!m_headersSent) {
    const HRESULT hr = DeliverHeaders();
    if (FAILED(hr)) return hr;
    m_headersSent = true;
  }
  VorbisPacket packet;
  while (m_analysis.NextPacket(&packet)) {
    const HRESULT hr = DeliverPacket(packet, TimeOf(packet.granulePosition), TimeOf(m_analysis.GranulePosition()));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CVorbisEnc::DeliverHeaders() {
  VorbisPacket headers[3];
  if (!m_analysis.HeaderPackets(headers)) return E_FAIL;
  for (const VorbisPacket& header : headers) {
    SamplePtr sample;
    if (FAILED(OutputPin()->GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) continue;
    const HRESULT hr = Send(sample.get(), header, 0, 0);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CVorbisEnc::DeliverPacket(const VorbisPacket& packet, REFERENCE_TIME start, REFERENCE_TIME end) {
  SamplePtr sample;
  const HRESULT hr = OutputPin()->GetDeliveryBuffer(&sample, &start, &end, 0);
  if (FAILED(hr)) return hr;
  return Send(sample.get(), packet, start, end);
}

HRESULT CVorbisEnc::Send(IMediaSample* sample, const VorbisPacket& packet, REFERENCE_TIME start, REFERENCE_TIME end) {
  if (sample->GetSize() < packet.bytes) return VFW_E_BUFFER_OVERFLOW;
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  std::memcpy(data, packet.data, static_cast<size_t>(packet.bytes));
  sample->SetTime(&start, &end);
  sample->SetSyncPoint(false);
  sample->SetDiscontinuity(false);
  hr = sample->SetActualDataLength(packet.bytes);
  if (FAILED(hr)) return hr;
  return OutputPin()->Deliver(sample);
}

int64_t CVorbisEnc::FramesAt(REFERENCE_TIME time) const { return ScaleRounded(time, m_rateHz, kUnitsPerSecond); }

REFERENCE_TIME CVorbisEnc::TimeOf(int64_t frames) const { return ScaleRounded(frames, kUnitsPerSecond, m_rateHz); }
