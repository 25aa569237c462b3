#include "filters/OggMuxOutputPin.h"

#include <algorithm>

COggMuxOutputPin::COggMuxOutputPin(CBaseFilter* filter) : CBaseOutputPin(filter, "Ogg Stream") {}

HRESULT COggMuxOutputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == MEDIATYPE_Stream && type->subtype == MEDIASUBTYPE_Ogg ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT COggMuxOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  *type = AM_MEDIA_TYPE{};
  type->majortype = MEDIATYPE_Stream;
  type->subtype = MEDIASUBTYPE_Ogg;
  type->formattype = FORMAT_None;
  type->bFixedSizeSamples = false;
  return S_OK;
}

HRESULT COggMuxOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  request->cBuffers = std::max(request->cBuffers, 1L);
  request->cbBuffer = std::max(request->cbBuffer, kOggOutputBufferBytes);
  request->cbAlign = 4;
  request->cbPrefix = 0;
  ALLOCATOR_PROPERTIES actual;
  const HRESULT hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cBuffers < request->cBuffers || actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT COggMuxOutputPin::Active() {
  {
    std::lock_guard lock(m_positionLock);
    m_position = 0;
  }
  return CBaseOutputPin::Active();
}

HRESULT COggMuxOutputPin::DeliverPage(std::span<const uint8_t> header, std::span<const uint8_t> body) {
  const long length = static_cast<long>(header.size() + body.size());
  // Only the page writer moves the position, one page at a time; the lock is for readers.
  REFERENCE_TIME start = BytePosition();
  REFERENCE_TIME end = start + length;
  SamplePtr sample;
  HRESULT hr = GetDeliveryBuffer(&sample, &start, &end, 0);
  if (FAILED(hr)) return hr;
  if (sample->GetSize() < length) return VFW_E_BUFFER_OVERFLOW;
  uint8_t* buffer = nullptr;
  hr = sample->GetPointer(&buffer);
  if (FAILED(hr)) return hr;
  std::copy(header.begin(), header.end(), buffer);
  std::copy(body.begin(), body.end(), buffer + header.size());
  sample->SetActualDataLength(length);
  sample->SetTime(&start, &end);
  sample->SetDiscontinuity(false);
  sample->SetPreroll(false);
  sample->SetSyncPoint(true);
  hr = Deliver(sample.get());
  if (hr == S_OK) {
    std::lock_guard lock(m_positionLock);
    m_position = end;
  }
  return hr;
}

int64_t COggMuxOutputPin::BytePosition() const {
  std::lock_guard lock(m_positionLock);
  return m_position;
}
