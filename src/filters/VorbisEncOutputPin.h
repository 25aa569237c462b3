#pragma once
// The Vorbis encoder's output pin. Besides the transform output pin's work it lets the
// application read and set the encoder's bitrates and quality as a Vorbis media type.
// Stream configuration runs on the application thread under the filter lock, while the
// filter is stopped.

#include "platform/media/StreamConfig.h"
#include "platform/media/TransformFilter.h"

class CVorbisEnc;

class CVorbisEncOutputPin : public CTransformOutputPin, public IAMStreamConfig {
 public:
  CVorbisEncOutputPin(const std::string& name, CVorbisEnc* filter, HRESULT* result);

  // Takes the bitrates and quality of a Vorbis type into the encoder settings and makes the
  // type this pin's media type, connected or not (no reconnection). VFW_E_NOT_CONNECTED
  // before the input is connected; VFW_E_NOT_STOPPED while streaming; VFW_E_INVALIDMEDIATYPE
  // for another type or a short block; VFW_E_TYPE_NOT_ACCEPTED when channels or rate differ
  // from the input's, which the encoder could not consume.
  HRESULT SetFormat(const AM_MEDIA_TYPE* type) override;
  // A copy of the pin's media type, or of the type offered at position 0 when it has none.
  // VFW_E_NOT_CONNECTED before the input is connected.
  HRESULT GetFormat(AM_MEDIA_TYPE* type) override;
  // E_NOTIMPL: the encoder lists no capabilities.
  HRESULT GetNumberOfCapabilities(int* count, int* size) override;
  HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE* type, AUDIO_STREAM_CONFIG_CAPS* caps) override;

 private:
  CVorbisEnc* m_pEncoder;
};
