#pragma once
// A converter for intelligent connect: integer PCM in, integer PCM out at the same rate with
// another channel count or sample size (PcmConverter's rules), for a device or filter that
// does not take the format as it comes. It offers, in order, the input's channel count, stereo
// and mono, each at 16, 24, 32 and 8 bits.
//
// Threads: as CTransformFilter; m_converter is set at StartStreaming and used by Transform,
// both under m_csReceive.

#include <optional>

#include "platform/audio/PcmConverter.h"
#include "platform/media/TransformFilter.h"

inline constexpr GUID CLSID_CorvoxPcmConverter{
    0x3F1C9A52, 0x7B4E, 0x4D21, {0xA6, 0x0D, 0x5C, 0x8E, 0x93, 0x1B, 0x27, 0xF4}};

class CPcmConverterFilter : public CTransformFilter {
 public:
  CPcmConverterFilter();

  HRESULT CheckInputType(const AM_MEDIA_TYPE* input) override;
  HRESULT CheckTransform(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override;
  HRESULT GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) override;
  HRESULT StartStreaming() override;
  HRESULT StopStreaming() override;
  HRESULT Transform(IMediaSample* input, IMediaSample* output) override;

 private:
  std::optional<PcmConverter> m_converter;
};
