#pragma once
// Media type: major type, subtype, format type and the format block as bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/media/Guid.h"
#include "platform/media/WaveFormat.h"

struct AM_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  bool bFixedSizeSamples = true;
  bool bTemporalCompression = false;
  uint32_t lSampleSize = 0;
  GUID formattype;
  std::vector<uint8_t> format;

  friend bool operator==(const AM_MEDIA_TYPE&, const AM_MEDIA_TYPE&) = default;
};
using CMediaType = AM_MEDIA_TYPE;

// Audio type with a wave format block; the subtype follows the format tag.
AM_MEDIA_TYPE MakeAudioMediaType(const WAVEFORMATEX& format, std::span<const uint8_t> extra = {});

// The wave format record of a type whose format type is FORMAT_WaveFormatEx.
std::optional<WAVEFORMATEX> WaveFormatOf(const AM_MEDIA_TYPE& type);

// A type with a major type but GUID_NULL subtype or format type matches any of those.
bool IsPartiallySpecified(const AM_MEDIA_TYPE& type);
