#include "platform/media/MediaType.h"

AM_MEDIA_TYPE MakeAudioMediaType(const WAVEFORMATEX& format, std::span<const uint8_t> extra) {
  AM_MEDIA_TYPE type;
  type.majortype = MEDIATYPE_Audio;
  // Wave format tags map onto the subtype family {tag-0000-0010-8000-00AA00389B71}.
  type.subtype = MEDIASUBTYPE_PCM;
  type.subtype.Data1 = format.wFormatTag;
  type.formattype = FORMAT_WaveFormatEx;
  type.lSampleSize = format.nBlockAlign;
  type.format = EncodeWaveFormat(format, extra);
  return type;
}

std::optional<WAVEFORMATEX> WaveFormatOf(const AM_MEDIA_TYPE& type) {
  if (type.formattype != FORMAT_WaveFormatEx) return std::nullopt;
  return DecodeWaveFormat(type.format);
}

bool IsPartiallySpecified(const AM_MEDIA_TYPE& type) {
  return type.majortype == GUID_NULL || type.subtype == GUID_NULL || type.formattype == GUID_NULL;
}
