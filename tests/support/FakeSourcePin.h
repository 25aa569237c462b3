#pragma once
// The harness's upstream end: an output pin that offers one media type, sets the buffers it
// was given on the allocator the real negotiation picks, and delivers samples built from bytes.
// The test's thread acts as the streaming thread.

#include <optional>
#include <span>

#include "platform/media/BasePin.h"
#include "support/SampleTimes.h"

class CFakeSourcePin : public CBaseOutputPin {
 public:
  CFakeSourcePin(CBaseFilter* filter, AM_MEDIA_TYPE type, ALLOCATOR_PROPERTIES buffers);

  // S_OK for the offered type only.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  // Fills a buffer with `bytes`, stamps `times` if given, marks a discontinuity if asked, and
  // returns the downstream's answer; VFW_E_BUFFER_OVERFLOW when the bytes do not fit a buffer.
  HRESULT Send(std::span<const uint8_t> bytes, std::optional<SampleTimes> times = std::nullopt,
               bool discontinuity = false);

 private:
  AM_MEDIA_TYPE m_type;
  ALLOCATOR_PROPERTIES m_buffers;
};
