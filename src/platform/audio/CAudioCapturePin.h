#pragma once
// The capture source's output pin "Capture": offers exactly the format set on it, and sizes
// the delivery buffers (by default 4 of half a second of audio each).
//
// IAMStreamConfig: SetFormat takes integer PCM inside the device's capabilities, only while
// the filter is stopped. On a connected pin it reconnects with the new format when the peer
// accepts it (QueryAccept), else VFW_E_TYPE_NOT_ACCEPTED and the old connection stays.
// IAMBufferNegotiation: a suggestion (fields <= 0 keep the default) applies at the next
// buffer decision; on a connected pin, while stopped, the allocator is renegotiated at once.
// GetAllocatorProperties gives the allocator's properties while connected, else the ones a
// connection would ask for.
//
// Threads: everything here runs on the control thread under the filter lock; the capture
// thread only delivers through the base class. Failures leave a readable text through
// SetErrorInfo.

#include "platform/audio/AudioDeviceCaps.h"
#include "platform/media/BasePin.h"
#include "platform/media/StreamConfig.h"

class CAudioCapturePin : public CBaseOutputPin, public IAMStreamConfig, public IAMBufferNegotiation {
 public:
  CAudioCapturePin(CBaseFilter* filter, const AudioDeviceCaps& caps);

  // The format to capture, and the bytes to capture into each sample (whole frames).
  WAVEFORMATEX Format();
  long BufferBytes();

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

  HRESULT SetFormat(const AM_MEDIA_TYPE* type) override;
  HRESULT GetFormat(AM_MEDIA_TYPE* type) override;
  HRESULT GetNumberOfCapabilities(int* count, int* size) override;
  // One capability per sample size the device takes; S_FALSE past the end.
  HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE* type, AUDIO_STREAM_CONFIG_CAPS* caps) override;

  HRESULT SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) override;
  HRESULT GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) override;

  static constexpr long kDefaultBuffers = 4;

 private:
  // The suggestion over the defaults for the current format.
  ALLOCATOR_PROPERTIES PlannedProperties() const;
  HRESULT Reconnect(const WAVEFORMATEX& format);

  const AudioDeviceCaps m_caps;
  WAVEFORMATEX m_format;
  ALLOCATOR_PROPERTIES m_suggested;  // zero fields: defaults
  long m_bufferBytes = 0;            // decided at connection
};
