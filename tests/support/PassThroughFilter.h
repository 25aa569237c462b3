#pragma once
// A transform that passes every sample through unchanged, with the input's type, and counts
// the samples it copied: the smallest filter on which to check the transform base. Its output
// buffers are as large as the input's (the base's choice), or `bufferBytes` when given.

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>

#include "platform/media/TransformFilter.h"

class CPassThrough : public CTransformFilter {
 public:
  explicit CPassThrough(std::optional<long> bufferBytes = std::nullopt, std::string inputPinName = "XForm In",
                        std::string outputPinName = "XForm Out")
      : CTransformFilter(GUID_NULL, std::move(inputPinName), std::move(outputPinName)), m_bufferBytes(bufferBytes) {}

  HRESULT CheckInputType(const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT CheckTransform(const AM_MEDIA_TYPE*, const AM_MEDIA_TYPE*) override { return S_OK; }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = InputPin()->CurrentMediaType();
    return S_OK;
  }
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override {
    if (!m_bufferBytes) return CTransformFilter::GetOutputBufferProperties(input, request);
    *request = {1, *m_bufferBytes, 1, 0};
    return S_OK;
  }
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override {
    ++transformed;
    uint8_t *from = nullptr, *to = nullptr;
    input->GetPointer(&from);
    output->GetPointer(&to);
    std::copy_n(from, input->GetActualDataLength(), to);
    return output->SetActualDataLength(input->GetActualDataLength());
  }

  using CTransformFilter::CreatePins;

  std::atomic<int> transformed{0};

 private:
  const std::optional<long> m_bufferBytes;
};
