#pragma once
// The decoder's output pin "Output": offers the decoded PCM (the decoder's format: integer PCM
// at the file's rate and channels) once the input has a file, with buffers of a tenth of a second. Connection on the
// control thread; delivery on the filter's streaming thread.

#include "platform/media/BasePin.h"

class CAudioDecoderFilter;

class CAudioDecoderOutputPin : public CBaseOutputPin {
 public:
  explicit CAudioDecoderOutputPin(CAudioDecoderFilter* filter);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

 private:
  CAudioDecoderFilter* m_decoder;
};
