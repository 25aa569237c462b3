#pragma once
// The PCM the Vorbis decoder delivers: interleaved 16-bit integers or 32-bit floats in the
// platform's channel order. One or two channels travel in the plain 18-byte wave format record
// (tag 1 or 3); more channels in the 40-byte extensible record (16 or 32 valid bits, no
// channel mask, PCM or IEEE-float sub-format). Both types are audio / PCM subtype with
// samples of varying size.

#include <cstdint>
#include <optional>

#include "platform/media/MediaType.h"

struct VorbisPcmFormat {
  uint16_t channels = 0;
  uint32_t rateHz = 0;
  bool isFloat = false;

  uint16_t BytesPerSample() const { return isFloat ? 4 : 2; }
  uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * BytesPerSample()); }

  friend bool operator==(const VorbisPcmFormat&, const VorbisPcmFormat&) = default;
};

AM_MEDIA_TYPE MakeVorbisPcmType(const VorbisPcmFormat& format);
// The format of a type the decoder can fill: audio / PCM with a wave format record of 16-bit
// integers or 32-bit floats, plain or extensible, whose block alignment is channels times
// sample size. Nothing for any other type.
std::optional<VorbisPcmFormat> VorbisPcmFormatOf(const AM_MEDIA_TYPE& type);
