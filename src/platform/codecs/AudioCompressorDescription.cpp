#include "platform/codecs/AudioCompressorDescription.h"

#include <new>
#include <vector>

namespace {

constexpr AudioCompressorDescription kCompressors[] = {
    {"IMA ADPCM", WAVE_FORMAT_IMA_ADPCM, "adpcm_ima_wav", CompressorExtraBytes::SamplesPerBlock, 0, 2},
    {"Microsoft ADPCM", WAVE_FORMAT_ADPCM, "adpcm_ms", CompressorExtraBytes::EncoderExtradata, 0, 2},
    {"GSM 6.10", WAVE_FORMAT_GSM610, "libgsm_ms", CompressorExtraBytes::SamplesPerBlock, 8000, 1},
    {"CCITT A-Law", WAVE_FORMAT_ALAW, "pcm_alaw", CompressorExtraBytes::None, 0, 2},
    {"CCITT u-Law", WAVE_FORMAT_MULAW, "pcm_mulaw", CompressorExtraBytes::None, 0, 2},
};

// MS ADPCM: wSamplesPerBlock, wNumCoef, then wNumCoef pairs of 16-bit coefficients.
constexpr size_t kMsAdpcmCoefficientsOffset = 4;

HRESULT ExtraBytes(const AudioCompressorDescription& description, const FfmpegAudioEncoder& encoder,
                   std::vector<uint8_t>* extra) {
  const int samplesPerBlock = encoder.SamplesPerBlock();
  switch (description.extra) {
    case CompressorExtraBytes::None:
      extra->clear();
      return S_OK;
    case CompressorExtraBytes::SamplesPerBlock:
      extra->assign(2, 0);
      PutLe16(extra->data(), static_cast<uint16_t>(samplesPerBlock));
      return S_OK;
    case CompressorExtraBytes::EncoderExtradata: {
      const std::span<const uint8_t> record = encoder.Extradata();
      if (record.size() < kMsAdpcmCoefficientsOffset || GetLe16(record.data()) != samplesPerBlock ||
          record.size() != kMsAdpcmCoefficientsOffset + 4u * GetLe16(record.data() + 2)) {
        SetErrorInfo(std::string("The ") + description.encoderName + " encoder gave no usable format record for the " +
                     description.name + " format.");
        return E_FAIL;
      }
      extra->assign(record.begin(), record.end());
      return S_OK;
    }
  }
  return E_UNEXPECTED;
}

}  // namespace

bool AudioCompressorDescription::Accepts(uint32_t rateHz, uint16_t channels) const {
  return channels >= 1 && channels <= maxChannels && rateHz > 0 && (onlyRateHz == 0 || rateHz == onlyRateHz);
}

HRESULT AudioCompressorDescription::OpenEncoder(uint32_t rateHz, uint16_t channels, uint16_t bitsPerSample,
                                                std::unique_ptr<FfmpegAudioEncoder>* encoder) const {
  return FfmpegAudioEncoder::Open(encoderName, rateHz, channels, bitsPerSample, encoder);
}

HRESULT AudioCompressorDescription::OutputType(const FfmpegAudioEncoder& encoder, AM_MEDIA_TYPE* type) const {
  if (type == nullptr) return E_POINTER;
  if (encoder.BlockAlign() == 0) {
    SetErrorInfo(std::string("The ") + encoderName + " encoder did not give its block size.");
    return E_FAIL;
  }
  WAVEFORMATEX format;
  format.wFormatTag = formatTag;
  format.nChannels = encoder.Channels();
  format.nSamplesPerSec = encoder.RateHz();
  format.nBlockAlign = encoder.BlockAlign();
  format.wBitsPerSample = encoder.BitsPerCodedSample();
  const uint64_t samplesPerBlock = static_cast<uint64_t>(encoder.SamplesPerBlock());
  format.nAvgBytesPerSec = static_cast<uint32_t>(
      (uint64_t{format.nSamplesPerSec} * format.nBlockAlign + samplesPerBlock / 2) / samplesPerBlock);
  try {
    std::vector<uint8_t> extra;
    const HRESULT hr = ExtraBytes(*this, encoder, &extra);
    if (FAILED(hr)) return hr;
    *type = MakeAudioMediaType(format, extra);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

bool AudioCompressorDescription::IsUsable() const {
  std::unique_ptr<FfmpegAudioEncoder> encoder;
  AM_MEDIA_TYPE type;
  const uint32_t probeRateHz = onlyRateHz != 0 ? onlyRateHz : 8000;
  return SUCCEEDED(OpenEncoder(probeRateHz, 1, 16, &encoder)) && SUCCEEDED(OutputType(*encoder, &type));
}

std::span<const AudioCompressorDescription> KnownAudioCompressors() { return kCompressors; }
