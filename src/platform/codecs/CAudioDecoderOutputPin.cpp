#include "platform/codecs/CAudioDecoderOutputPin.h"

#include <algorithm>

#include "platform/codecs/CAudioDecoderFilter.h"

namespace {

constexpr long kBuffers = 4;
constexpr uint32_t kBuffersPerSecond = 10;

}  // namespace

CAudioDecoderOutputPin::CAudioDecoderOutputPin(CAudioDecoderFilter* filter)
    : CBaseOutputPin(filter, "Output"), m_decoder(filter) {}

HRESULT CAudioDecoderOutputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> format = m_decoder->OutputFormat();
  if (!format || type->majortype != MEDIATYPE_Audio) return S_FALSE;
  const std::optional<WAVEFORMATEX> offered = WaveFormatOf(*type);
  return offered && *offered == *format ? S_OK : S_FALSE;
}

HRESULT CAudioDecoderOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> format = m_decoder->OutputFormat();
  if (position != 0 || !format) return VFW_S_NO_MORE_ITEMS;
  *type = MakeAudioMediaType(*format);
  return S_OK;
}

HRESULT CAudioDecoderOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  const std::optional<WAVEFORMATEX> format = m_decoder->OutputFormat();
  if (!format) return VFW_E_NOT_CONNECTED;
  const long tenth =
      static_cast<long>(std::max<uint32_t>(format->nSamplesPerSec / kBuffersPerSecond, 1) * format->nBlockAlign);
  request->cBuffers = std::max(request->cBuffers, kBuffers);
  request->cbBuffer = std::max(request->cbBuffer, tenth);
  ALLOCATOR_PROPERTIES actual;
  const HRESULT hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cbBuffer >= format->nBlockAlign ? S_OK : E_FAIL;
}
