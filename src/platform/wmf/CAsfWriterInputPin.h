#pragma once
// The ASF writer's one input, "Audio Input 01": PCM of any rate and channel count, which the
// writer converts to its profile's format. Samples and end of stream go to the writer.
// Threads as CBaseInputPin: Receive and EndOfStream on the upstream streaming thread.

#include "platform/media/BasePin.h"

class CAsfWriterFilter;

class CAsfWriterInputPin : public CBaseInputPin {
 public:
  explicit CAsfWriterInputPin(CAsfWriterFilter* writer);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  // One type: 16-bit PCM at the profile's rate and channels.
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT EndOfStream() override;

 private:
  CAsfWriterFilter* m_writer;
};
