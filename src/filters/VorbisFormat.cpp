#include "filters/VorbisFormat.h"

#include <bit>

bool IsVorbisQualityMode(float quality) { return quality >= -0.1f && quality <= 1.0f; }

std::vector<uint8_t> EncodeVorbisFormat(const VORBISFORMAT& format) {
  std::vector<uint8_t> block(kVorbisFormatBytes);
  PutLe32(&block[0], format.nChannels);
  PutLe32(&block[4], static_cast<uint32_t>(format.nSamplesPerSec));
  PutLe32(&block[8], static_cast<uint32_t>(format.nMinBitsPerSec));
  PutLe32(&block[12], static_cast<uint32_t>(format.nAvgBitsPerSec));
  PutLe32(&block[16], static_cast<uint32_t>(format.nMaxBitsPerSec));
  PutLe32(&block[20], std::bit_cast<uint32_t>(format.fQuality));
  return block;
}

std::optional<VORBISFORMAT> DecodeVorbisFormat(std::span<const uint8_t> block) {
  if (block.size() < kVorbisFormatBytes) return std::nullopt;
  VORBISFORMAT format;
  format.nChannels = GetLe32(&block[0]);
  format.nSamplesPerSec = static_cast<int32_t>(GetLe32(&block[4]));
  format.nMinBitsPerSec = static_cast<int32_t>(GetLe32(&block[8]));
  format.nAvgBitsPerSec = static_cast<int32_t>(GetLe32(&block[12]));
  format.nMaxBitsPerSec = static_cast<int32_t>(GetLe32(&block[16]));
  format.fQuality = std::bit_cast<float>(GetLe32(&block[20]));
  return format;
}

AM_MEDIA_TYPE MakeVorbisMediaType(const VORBISFORMAT& format) {
  AM_MEDIA_TYPE type;
  type.majortype = MEDIATYPE_Audio;
  type.subtype = MEDIASUBTYPE_Vorbis;
  type.formattype = FORMAT_Vorbis;
  type.bFixedSizeSamples = false;
  type.bTemporalCompression = true;
  type.lSampleSize = 0;
  type.format = EncodeVorbisFormat(format);
  return type;
}

bool IsVorbisMediaType(const AM_MEDIA_TYPE& type) {
  return type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_Vorbis && type.formattype == FORMAT_Vorbis;
}

std::optional<VORBISFORMAT> VorbisFormatOf(const AM_MEDIA_TYPE& type) {
  if (!IsVorbisMediaType(type)) return std::nullopt;
  return DecodeVorbisFormat(type.format);
}
