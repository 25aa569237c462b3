#include "filters/MP3EncFilter.h"

#include <algorithm>
#include <cstring>

#include "filters/MpegFormatRecord.h"
#include "platform/media/Graph.h"

namespace {

using S = Mp3EncoderSettings;

constexpr long kOutputBuffers = 4;
constexpr long kOutputBufferBytes = CMP3Encoder::kOutputBufferBytes;
constexpr uint32_t kOutputSampleBytes = 4096;

// The wave format record of a type with a wave-format block of at least 18 bytes.
std::optional<WAVEFORMATEX> FullWaveFormatOf(const AM_MEDIA_TYPE& type) {
  if (type.format.size() < kWaveFormatExBytes) return std::nullopt;
  return WaveFormatOf(type);
}

}  // namespace

CMP3EncFilter::CMP3EncFilter(HRESULT* result) : CTransformFilter(CLSID_MP3EncFilter) {
  ResetDefaults();
  const HRESULT hr = CreatePins();
  if (result) *result = hr;
}

HRESULT CMP3EncFilter::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input->majortype != MEDIATYPE_Audio || input->bTemporalCompression) return E_INVALIDARG;
  const auto format = FullWaveFormatOf(*input);
  return format && CMP3Encoder::IsAcceptableInput(*format) ? S_OK : E_INVALIDARG;
}

HRESULT CMP3EncFilter::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) {
  const auto outputFormat = FullWaveFormatOf(*output);
  if (!outputFormat) return VFW_E_INVALIDMEDIATYPE;
  S settings;
  const auto inputFormat = WaveFormatOf(*input);
  if (!m_encoder.GetSettings(&settings) || !inputFormat) return S_OK;
  const int64_t outputRateHz = settings[S::kOutputSampleRateHz];
  // A rate of 0 leaves the choice to LAME.
  if (outputRateHz > 0 && inputFormat->nSamplesPerSec % outputRateHz == 0 &&
      outputFormat->nSamplesPerSec != outputRateHz)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT CMP3EncFilter::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  MakeOutputType(type);
  return S_OK;
}

void CMP3EncFilter::MakeOutputType(AM_MEDIA_TYPE* type) {
  *type = AM_MEDIA_TYPE{};
  type->majortype = MEDIATYPE_Stream;
  type->subtype = MEDIASUBTYPE_MPEG1Audio;
  type->formattype = FORMAT_None;
  WAVEFORMATEX input;
  S settings;
  if (!m_encoder.GetInputFormat(&input) || !m_encoder.GetSettings(&settings)) return;
  const auto record = EncodeMpeg1WaveFormat(MakeMpegFormatRecord(settings, input));
  type->formattype = FORMAT_WaveFormatEx;
  type->format.assign(record.begin(), record.end());
  type->bFixedSizeSamples = true;
  type->lSampleSize = kOutputSampleBytes;
  type->bTemporalCompression = false;
}

HRESULT CMP3EncFilter::SetMediaType(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type) {
  const auto format = FullWaveFormatOf(*type);
  if (!format) return VFW_E_INVALIDMEDIATYPE;
  if (direction != PINDIR_INPUT) return S_OK;
  const HRESULT hr = m_encoder.SetInputFormat(*format);
  if (FAILED(hr)) return hr;
  // The input stands whether or not the output takes the new type.
  ReofferOutput();
  return S_OK;
}

HRESULT CMP3EncFilter::ReofferOutput() {
  CTransformOutputPin* output = OutputPin();
  IFilterGraph* graph = Graph();
  if (output == nullptr || !output->IsConnected() || graph == nullptr) return S_OK;
  IPin* peer = output->GetConnected();
  AM_MEDIA_TYPE type;
  MakeOutputType(&type);
  const bool accepted = peer->QueryAccept(&type) == S_OK;
  HRESULT hr = graph->Disconnect(peer);
  if (SUCCEEDED(hr)) hr = graph->Disconnect(output);
  if (FAILED(hr)) return hr;
  // A peer that refuses the type is left to negotiate one.
  return graph->ConnectDirect(output, peer, accepted ? &type : nullptr);
}

HRESULT CMP3EncFilter::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES&, ALLOCATOR_PROPERTIES* request) {
  request->cBuffers = kOutputBuffers;
  request->cbBuffer = kOutputBufferBytes;
  request->cbAlign = 1;
  return S_OK;
}

HRESULT CMP3EncFilter::ShortAllocatorResult() const { return E_INVALIDARG; }

HRESULT CMP3EncFilter::StartStreaming() {
  m_streamFrames = 0;
  m_encoder.GetInputFormat(&m_streamFormat);
  return m_encoder.Open();
}

HRESULT CMP3EncFilter::StopStreaming() {
  m_encoder.Close();
  return S_OK;
}

REFERENCE_TIME CMP3EncFilter::StreamTime() const {
  const uint64_t rateHz = std::max<uint32_t>(1, m_streamFormat.nSamplesPerSec);
  return static_cast<REFERENCE_TIME>(m_streamFrames / rateHz * kUnitsPerSecond +
                                     m_streamFrames % rateHz * kUnitsPerSecond / rateHz);
}

HRESULT CMP3EncFilter::Receive(IMediaSample* sample) {
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const size_t length = static_cast<size_t>(std::max(0L, sample->GetActualDataLength()));
  m_frames.clear();
  hr = m_encoder.Encode(std::span<const uint8_t>(data, length), &m_frames);
  if (FAILED(hr)) return hr;

  const REFERENCE_TIME start = StreamTime();
  m_streamFrames += length / std::max<size_t>(1, m_streamFormat.nBlockAlign);
  if (m_frames.empty()) return S_OK;
  hr = QueueOutput(m_frames, start, StreamTime());
  if (hr != S_OK) return hr;
  return DeliverQueuedOutput();
}

HRESULT CMP3EncFilter::EndOfStream() {
  m_frames.clear();
  const HRESULT finished = m_encoder.Finish(&m_frames);
  m_encoder.Close();
  HRESULT queued = S_OK;
  if (!m_frames.empty()) queued = QueueOutput(m_frames, StreamTime(), StreamTime());
  // End of stream goes on whatever happened, so the graph still completes.
  const HRESULT ended = CTransformFilter::EndOfStream();
  if (FAILED(finished)) return finished;
  return FAILED(queued) ? queued : ended;
}

HRESULT CMP3EncFilter::BeginFlush() {
  SamplePtr sample;
  if (SUCCEEDED(OutputPin()->GetDeliveryBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT))) {
    std::vector<uint8_t> tail;
    uint8_t* data = nullptr;
    if (SUCCEEDED(m_encoder.Finish(&tail)) && !tail.empty() && SUCCEEDED(sample->GetPointer(&data))) {
      const size_t length = std::min(tail.size(), static_cast<size_t>(sample->GetSize()));
      std::memcpy(data, tail.data(), length);
      sample->SetActualDataLength(static_cast<long>(length));
      OutputPin()->Deliver(sample.get());
    }
  }
  m_encoder.Close();
  return CTransformFilter::BeginFlush();
}

HRESULT CMP3EncFilter::GetWord(S::Word word, int32_t* value) {
  if (value == nullptr) return E_POINTER;
  S settings;
  *value = m_encoder.GetSettings(&settings) ? settings[word] : 0;
  return S_OK;
}

HRESULT CMP3EncFilter::SetWord(S::Word word, int32_t value) {
  S settings;
  m_encoder.GetSettings(&settings);
  settings[word] = value;
  m_encoder.SetSettings(settings);
  return S_OK;
}

HRESULT CMP3EncFilter::GetBitrate(int32_t* kbps) { return GetWord(S::kBitrateKbps, kbps); }
HRESULT CMP3EncFilter::SetBitrate(int32_t kbps) { return SetWord(S::kBitrateKbps, kbps); }

HRESULT CMP3EncFilter::GetVbrEnabled(int32_t* enabled) {
  const HRESULT hr = GetWord(S::kVbrMode, enabled);
  if (SUCCEEDED(hr)) *enabled = *enabled != 0 ? 1 : 0;
  return hr;
}

HRESULT CMP3EncFilter::SetVbrEnabled(int32_t enabled) { return SetWord(S::kVbrMode, enabled != 0 ? S::kVbrOn : 0); }
HRESULT CMP3EncFilter::GetVbrMinBitrate(int32_t* kbps) { return GetWord(S::kVbrMinBitrateKbps, kbps); }
HRESULT CMP3EncFilter::SetVbrMinBitrate(int32_t kbps) { return SetWord(S::kVbrMinBitrateKbps, kbps); }
HRESULT CMP3EncFilter::GetVbrMaxBitrate(int32_t* kbps) { return GetWord(S::kVbrMaxBitrateKbps, kbps); }
HRESULT CMP3EncFilter::SetVbrMaxBitrate(int32_t kbps) { return SetWord(S::kVbrMaxBitrateKbps, kbps); }
HRESULT CMP3EncFilter::GetEncodeQuality(int32_t* quality) { return GetWord(S::kEncodeQuality, quality); }
HRESULT CMP3EncFilter::SetEncodeQuality(int32_t quality) { return SetWord(S::kEncodeQuality, quality); }
HRESULT CMP3EncFilter::GetVbrQuality(int32_t* quality) { return GetWord(S::kVbrQuality, quality); }
HRESULT CMP3EncFilter::SetVbrQuality(int32_t quality) { return SetWord(S::kVbrQuality, quality); }

HRESULT CMP3EncFilter::GetInputSampleRate(int32_t* rateHz) {
  if (rateHz == nullptr) return E_POINTER;
  WAVEFORMATEX input;
  const bool set = m_encoder.GetInputFormat(&input);
  *rateHz = set ? static_cast<int32_t>(input.nSamplesPerSec) : 0;
  return set ? S_OK : E_FAIL;
}

HRESULT CMP3EncFilter::GetInputChannels(int32_t* channels) {
  if (channels == nullptr) return E_POINTER;
  WAVEFORMATEX input;
  const bool set = m_encoder.GetInputFormat(&input);
  *channels = set ? input.nChannels : 0;
  return set ? S_OK : E_FAIL;
}

HRESULT CMP3EncFilter::GetOutputSampleRate(int32_t* rateHz) { return GetWord(S::kOutputSampleRateHz, rateHz); }
HRESULT CMP3EncFilter::SetOutputSampleRate(int32_t rateHz) { return SetWord(S::kOutputSampleRateHz, rateHz); }
HRESULT CMP3EncFilter::GetChannelMode(int32_t* mode) { return GetWord(S::kChannelMode, mode); }
HRESULT CMP3EncFilter::SetChannelMode(int32_t mode) { return SetWord(S::kChannelMode, mode); }
HRESULT CMP3EncFilter::GetCrc(int32_t* on) { return GetWord(S::kCrc, on); }
HRESULT CMP3EncFilter::SetCrc(int32_t on) { return SetWord(S::kCrc, on); }
HRESULT CMP3EncFilter::GetOriginal(int32_t* on) { return GetWord(S::kOriginal, on); }
HRESULT CMP3EncFilter::SetOriginal(int32_t on) { return SetWord(S::kOriginal, on); }
HRESULT CMP3EncFilter::GetCopyright(int32_t* on) { return GetWord(S::kCopyright, on); }
HRESULT CMP3EncFilter::SetCopyright(int32_t on) { return SetWord(S::kCopyright, on); }
HRESULT CMP3EncFilter::GetVbrHardMin(int32_t* on) { return GetWord(S::kVbrHardMin, on); }
HRESULT CMP3EncFilter::SetVbrHardMin(int32_t on) { return SetWord(S::kVbrHardMin, on); }
HRESULT CMP3EncFilter::GetLowpassLimit(int32_t* on) { return GetWord(S::kLowpassLimit, on); }
HRESULT CMP3EncFilter::SetLowpassLimit(int32_t on) { return SetWord(S::kLowpassLimit, on); }
HRESULT CMP3EncFilter::GetFilterBypass(int32_t* on) { return GetWord(S::kFilterBypass, on); }
HRESULT CMP3EncFilter::SetFilterBypass(int32_t on) { return SetWord(S::kFilterBypass, on); }
HRESULT CMP3EncFilter::GetStrictIso(int32_t* on) { return GetWord(S::kStrictIso, on); }
HRESULT CMP3EncFilter::SetStrictIso(int32_t on) { return SetWord(S::kStrictIso, on); }
HRESULT CMP3EncFilter::GetReserved1(int32_t* value) { return GetWord(S::kReserved1, value); }
HRESULT CMP3EncFilter::SetReserved1(int32_t value) { return SetWord(S::kReserved1, value); }
HRESULT CMP3EncFilter::GetForceMidSide(int32_t* on) { return GetWord(S::kForceMidSide, on); }
HRESULT CMP3EncFilter::SetForceMidSide(int32_t on) { return SetWord(S::kForceMidSide, on); }
HRESULT CMP3EncFilter::GetReserved2(int32_t* value) { return GetWord(S::kReserved2, value); }
HRESULT CMP3EncFilter::SetReserved2(int32_t value) { return SetWord(S::kReserved2, value); }

HRESULT CMP3EncFilter::GetSettings(void* buffer, uint32_t* sizeBytes) {
  if (sizeBytes == nullptr) return buffer == nullptr ? E_FAIL : E_POINTER;
  const uint32_t available = *sizeBytes;
  *sizeBytes = S::kSizeBytes;
  if (buffer == nullptr) return S_OK;
  if (available < S::kSizeBytes) return E_FAIL;
  S settings;
  if (m_encoder.GetSettings(&settings)) settings.ToBytes(static_cast<uint8_t*>(buffer));
  return S_OK;
}

HRESULT CMP3EncFilter::SetSettings(const void* buffer, uint32_t sizeBytes) {
  if (sizeBytes != S::kSizeBytes) return E_FAIL;
  if (buffer == nullptr) return E_POINTER;
  m_encoder.SetSettings(S::FromBytes(static_cast<const uint8_t*>(buffer)));
  return S_OK;
}

HRESULT CMP3EncFilter::ResetDefaults() {
  S settings;
  m_encoder.GetSettings(&settings);
  m_encoder.SetSettings(settings);
  SetBitrate(128);
  SetVbrEnabled(0);
  SetVbrMinBitrate(80);
  SetVbrMaxBitrate(160);
  SetEncodeQuality(5);
  SetVbrQuality(4);
  SetOutputSampleRate(44100);
  SetCrc(0);
  SetOriginal(0);
  SetCopyright(0);
  SetVbrHardMin(0);
  SetLowpassLimit(0);
  SetFilterBypass(0);
  SetStrictIso(0);
  SetReserved1(0);
  SetForceMidSide(0);
  SetChannelMode(0);
  return S_OK;
}

HRESULT CMP3EncFilter::IsInputTypeSet() {
  WAVEFORMATEX input;
  return m_encoder.GetInputFormat(&input) ? S_OK : E_FAIL;
}
