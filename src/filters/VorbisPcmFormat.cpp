#include "filters/VorbisPcmFormat.h"

#include <span>

#include "platform/media/WaveFormatExtensible.h"

namespace {

// More channels than this need the extensible record.
constexpr uint16_t kPlainRecordChannels = 2;

}  // namespace

AM_MEDIA_TYPE MakeVorbisPcmType(const VorbisPcmFormat& format) {
  const uint16_t tag = format.isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
  WAVEFORMATEX record;
  record.wFormatTag = format.channels > kPlainRecordChannels ? WAVE_FORMAT_EXTENSIBLE : tag;
  record.nChannels = format.channels;
  record.nSamplesPerSec = format.rateHz;
  record.nBlockAlign = format.BlockAlign();
  record.nAvgBytesPerSec = format.rateHz * record.nBlockAlign;
  record.wBitsPerSample = static_cast<uint16_t>(format.BytesPerSample() * 8);
  const std::vector<uint8_t> extra = record.wFormatTag == WAVE_FORMAT_EXTENSIBLE
                                         ? EncodeExtensibleExtra(record.wBitsPerSample, 0, tag)
                                         : std::vector<uint8_t>{};
  AM_MEDIA_TYPE type;
  type.majortype = MEDIATYPE_Audio;
  type.subtype = MEDIASUBTYPE_PCM;
  type.bFixedSizeSamples = false;
  type.bTemporalCompression = false;
  type.lSampleSize = 0;
  type.formattype = FORMAT_WaveFormatEx;
  type.format = EncodeWaveFormat(record, extra);
  return type;
}

std::optional<VorbisPcmFormat> VorbisPcmFormatOf(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM) return std::nullopt;
  const std::optional<WAVEFORMATEX> record = WaveFormatOf(type);
  if (!record || record->nChannels == 0 || record->nSamplesPerSec == 0) return std::nullopt;
  const std::span<const uint8_t> block(type.format);
  const std::optional<uint16_t> tag = PlainFormatTag(
      *record, block.size() > kWaveFormatExBytes ? block.subspan(kWaveFormatExBytes) : std::span<const uint8_t>{});
  VorbisPcmFormat format;
  format.channels = record->nChannels;
  format.rateHz = record->nSamplesPerSec;
  if (tag == WAVE_FORMAT_PCM && record->wBitsPerSample == 16)
    format.isFloat = false;
  else if (tag == WAVE_FORMAT_IEEE_FLOAT && record->wBitsPerSample == 32)
    format.isFloat = true;
  else
    return std::nullopt;
  if (record->nBlockAlign != format.BlockAlign()) return std::nullopt;
  return format;
}
