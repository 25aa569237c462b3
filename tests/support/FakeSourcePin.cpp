#include "support/FakeSourcePin.h"

#include <algorithm>
#include <utility>

CFakeSourcePin::CFakeSourcePin(CBaseFilter* filter, AM_MEDIA_TYPE type, ALLOCATOR_PROPERTIES buffers)
    : CBaseOutputPin(filter, "Fake Out"), m_type(std::move(type)), m_buffers(buffers) {}

HRESULT CFakeSourcePin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return *type == m_type ? S_OK : S_FALSE;
}

HRESULT CFakeSourcePin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  *type = m_type;
  return S_OK;
}

HRESULT CFakeSourcePin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  *request = m_buffers;
  ALLOCATOR_PROPERTIES actual;
  return allocator->SetProperties(request, &actual);
}

HRESULT CFakeSourcePin::Send(std::span<const uint8_t> bytes, std::optional<SampleTimes> times, bool discontinuity) {
  SamplePtr sample;
  HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
  if (FAILED(hr)) return hr;
  if (bytes.size() > static_cast<size_t>(sample->GetSize())) return VFW_E_BUFFER_OVERFLOW;
  uint8_t* buffer = nullptr;
  hr = sample->GetPointer(&buffer);
  if (FAILED(hr)) return hr;
  std::copy(bytes.begin(), bytes.end(), buffer);
  sample->SetActualDataLength(static_cast<long>(bytes.size()));
  if (times) sample->SetTime(&times->start, &times->end);
  sample->SetDiscontinuity(discontinuity);
  return Deliver(sample.get());
}
