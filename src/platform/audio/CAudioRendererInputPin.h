#pragma once
// The audio renderer's input pin "Audio Input pin (rendered)": accepts integer PCM the
// backend's output device can play, and hands samples, end of stream and flushes to its
// filter. Receive and EndOfStream run on the upstream streaming thread; connection on the
// control thread under the filter lock.

#include "platform/audio/AudioDeviceCaps.h"
#include "platform/media/BasePin.h"

class CAudioRendererFilter;

class CAudioRendererInputPin : public CBaseInputPin {
 public:
  CAudioRendererInputPin(CAudioRendererFilter* filter, const AudioDeviceCaps& caps);

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
  HRESULT Receive(IMediaSample* sample) override;
  HRESULT EndOfStream() override;
  HRESULT BeginFlush() override;
  HRESULT EndFlush() override;

 private:
  CAudioRendererFilter* m_renderer;
  const AudioDeviceCaps m_caps;
};
