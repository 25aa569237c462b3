#pragma once
// Capture pin configuration: the stream format and the capture buffer size.

#include "platform/media/Allocator.h"
#include "platform/media/MediaType.h"

struct AUDIO_STREAM_CONFIG_CAPS {
  GUID guid;
  unsigned long MinimumChannels = 0;
  unsigned long MaximumChannels = 0;
  unsigned long ChannelsGranularity = 0;
  unsigned long MinimumBitsPerSample = 0;
  unsigned long MaximumBitsPerSample = 0;
  unsigned long BitsPerSampleGranularity = 0;
  unsigned long MinimumSampleFrequency = 0;
  unsigned long MaximumSampleFrequency = 0;
  unsigned long SampleFrequencyGranularity = 0;
};

struct IAMStreamConfig : virtual IUnknown {
  virtual HRESULT SetFormat(const AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetFormat(AM_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetNumberOfCapabilities(int* count, int* size) = 0;
  virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE* type, AUDIO_STREAM_CONFIG_CAPS* caps) = 0;
};

struct IAMBufferNegotiation : virtual IUnknown {
  virtual HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) = 0;
  virtual HRESULT GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) = 0;
};
