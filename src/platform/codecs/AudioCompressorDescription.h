#pragma once
// What sets one audio compressor of the category apart: the name users see, the WAV format it
// writes, the FFmpeg encoder that makes it, the PCM it takes, and the extra bytes its wave
// format record carries. Immutable; shared by every filter made from it.

#include <cstdint>
#include <span>

#include "platform/codecs/FfmpegAudioEncoder.h"
#include "platform/media/MediaType.h"

constexpr uint16_t WAVE_FORMAT_ADPCM = 0x0002;
constexpr uint16_t WAVE_FORMAT_ALAW = 0x0006;
constexpr uint16_t WAVE_FORMAT_MULAW = 0x0007;
constexpr uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
constexpr uint16_t WAVE_FORMAT_GSM610 = 0x0031;

enum class CompressorExtraBytes {
  None,             // cbSize 0
  SamplesPerBlock,  // cbSize 2: wSamplesPerBlock
  EncoderExtradata  // the encoder's own record, which starts with wSamplesPerBlock (MS ADPCM)
};

struct AudioCompressorDescription {
  const char* name;  // "Description" and "FriendlyName" in the category
  uint16_t formatTag;
  const char* encoderName;  // FFmpeg's name
  CompressorExtraBytes extra;
  uint32_t onlyRateHz;  // 0: any rate
  uint16_t maxChannels;

  // Whether PCM of this rate and channel count can be compressed.
  bool Accepts(uint32_t rateHz, uint16_t channels) const;
  // Opens the encoder for PCM of that shape.
  HRESULT OpenEncoder(uint32_t rateHz, uint16_t channels, uint16_t bitsPerSample,
                      std::unique_ptr<FfmpegAudioEncoder>* encoder) const;
  // The output type for what `encoder` makes: audio of this tag with the wave format record a
  // WAV file needs (block size and bits from the encoder, average bytes per second from the
  // block rate). E_FAIL when the encoder does not give what the format needs.
  HRESULT OutputType(const FfmpegAudioEncoder& encoder, AM_MEDIA_TYPE* type) const;
  // Whether FFmpeg on this system has a working encoder for it.
  bool IsUsable() const;
};

// Every compressor this platform knows, in the order the category lists them.
std::span<const AudioCompressorDescription> KnownAudioCompressors();
