#pragma once
// A transform that passes every sample through unchanged, with the input's type, into output
// buffers of `bufferBytes` bytes: the smallest filter on which to check the transform base.

#include <algorithm>

#include "platform/media/TransformFilter.h"

class CPassThrough : public CTransformFilter {
 public:
  explicit CPassThrough(long bufferBytes = 64) : CTransformFilter(GUID_NULL), m_bufferBytes(bufferBytes) {}

  HRESULT CheckInputType(const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT CheckTransform(const AM_MEDIA_TYPE*, const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = InputPin()->CurrentMediaType();
    return S_OK;
  }
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 1;
    request->cbBuffer = m_bufferBytes;
    ALLOCATOR_PROPERTIES actual;
    return allocator->SetProperties(request, &actual);
  }
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    uint8_t *from = nullptr, *to = nullptr;
    input->GetPointer(&from);
    output->GetPointer(&to);
    std::copy_n(from, input->GetActualDataLength(), to);
    return output->SetActualDataLength(input->GetActualDataLength());
  }

 private:
  const long m_bufferBytes;
};
