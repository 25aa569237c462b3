#include "platform/audio/CPcmConverterFilter.h"

#include <algorithm>
#include <vector>

#include "platform/audio/PcmSample.h"

namespace {

std::optional<WAVEFORMATEX> PcmFormatOf(const AM_MEDIA_TYPE* type) {
  if (type == nullptr || type->majortype != MEDIATYPE_Audio) return std::nullopt;
  const std::optional<WAVEFORMATEX> format = WaveFormatOf(*type);
  if (!format || format->wFormatTag != WAVE_FORMAT_PCM || !IsPcmSampleSize(format->wBitsPerSample) ||
      format->nChannels == 0 || format->nSamplesPerSec == 0 ||
      format->nBlockAlign != format->nChannels * format->wBitsPerSample / 8)
    return std::nullopt;
  return format;
}

std::vector<WAVEFORMATEX> OfferedFormats(const WAVEFORMATEX& input) {
  std::vector<WAVEFORMATEX> offered;
  for (uint16_t channels : {input.nChannels, uint16_t{2}, uint16_t{1}}) {
    for (uint16_t bits : {16, 24, 32, 8}) {
      const WAVEFORMATEX format = MakePcmFormat(input.nSamplesPerSec, channels, bits);
      if (std::find(offered.begin(), offered.end(), format) == offered.end()) offered.push_back(format);
    }
  }
  return offered;
}

}  // namespace

CPcmConverterFilter::CPcmConverterFilter() : CTransformFilter(CLSID_CorvoxPcmConverter) {}

HRESULT CPcmConverterFilter::CheckInputType(const AM_MEDIA_TYPE* input) {
  if (input == nullptr) return E_POINTER;
  return PcmFormatOf(input) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPcmConverterFilter::CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) {
  if (input == nullptr || output == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> from = PcmFormatOf(input);
  const std::optional<WAVEFORMATEX> to = PcmFormatOf(output);
  return from && to && from->nSamplesPerSec == to->nSamplesPerSec ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPcmConverterFilter::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> input = PcmFormatOf(&InputPin()->CurrentMediaType());
  if (!input) return VFW_S_NO_MORE_ITEMS;
  const std::vector<WAVEFORMATEX> offered = OfferedFormats(*input);
  if (position < 0 || static_cast<size_t>(position) >= offered.size()) return VFW_S_NO_MORE_ITEMS;
  *type = MakeAudioMediaType(offered[static_cast<size_t>(position)]);
  return S_OK;
}

HRESULT CPcmConverterFilter::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input,
                                                       ALLOCATOR_PROPERTIES* request) {
  const std::optional<WAVEFORMATEX> from = PcmFormatOf(&InputPin()->CurrentMediaType());
  const std::optional<WAVEFORMATEX> to = PcmFormatOf(&OutputPin()->CurrentMediaType());
  if (!from || !to) return E_UNEXPECTED;
  const long frames = (input.cbBuffer + from->nBlockAlign - 1) / from->nBlockAlign;
  request->cBuffers = std::max<long>(request->cBuffers, 1);
  request->cbBuffer = std::max<long>(request->cbBuffer, frames * to->nBlockAlign);
  request->cbAlign = std::max<long>(request->cbAlign, 1);
  return S_OK;
}

HRESULT CPcmConverterFilter::StartStreaming() {
  const std::optional<WAVEFORMATEX> from = PcmFormatOf(&InputPin()->CurrentMediaType());
  const std::optional<WAVEFORMATEX> to = PcmFormatOf(&OutputPin()->CurrentMediaType());
  if (!from || !to) return VFW_E_NOT_CONNECTED;
  m_converter.emplace(*from, *to);
  return S_OK;
}

HRESULT CPcmConverterFilter::StopStreaming() {
  m_converter.reset();
  return S_OK;
}

HRESULT CPcmConverterFilter::Transform(IMediaSample* input, IMediaSample* output) {
  if (!m_converter) return VFW_E_WRONG_STATE;
  const WAVEFORMATEX from = *PcmFormatOf(&InputPin()->CurrentMediaType());
  const WAVEFORMATEX to = *PcmFormatOf(&OutputPin()->CurrentMediaType());
  uint8_t* in = nullptr;
  uint8_t* out = nullptr;
  HRESULT hr = input->GetPointer(&in);
  if (SUCCEEDED(hr)) hr = output->GetPointer(&out);
  if (FAILED(hr)) return hr;
  const size_t frames = std::min(static_cast<size_t>(input->GetActualDataLength()) / from.nBlockAlign,
                                 static_cast<size_t>(output->GetSize()) / to.nBlockAlign);
  m_converter->Convert(in, out, frames);
  return output->SetActualDataLength(static_cast<long>(frames * to.nBlockAlign));
}
