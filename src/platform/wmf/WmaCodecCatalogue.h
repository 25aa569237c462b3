#pragma once
// The Windows Media audio codecs of this system: those FFmpeg can encode, each with the formats
// its encoder really produces. FFmpeg's WMA encoders are constant-bitrate only, so no codec has
// VBR formats. Probed once per process (opening each format's encoder once); any thread.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/media/MediaType.h"

struct WmaCodecFormat {
  uint32_t rateHz = 0;
  uint16_t channels = 0;
  uint32_t bitsPerSecond = 0;
  uint16_t blockAlign = 0;            // bytes of one encoded block, as the encoder makes them
  std::vector<uint8_t> decoderSetup;  // the codec's extra format bytes, as its encoder gives them
};

struct WmaCodec {
  std::string name;
  const char* encoderName = nullptr;  // FFmpeg's
  uint16_t formatTag = 0;
  std::vector<WmaCodecFormat> formats;  // ascending bitrate, the order the runtime lists them
};

const std::vector<WmaCodec>& InstalledWmaCodecs();

// "128 kbps, 44 kHz, stereo CBR".
std::string DescribeWmaFormat(const WmaCodecFormat& format);

// The audio type of the format: wave format record with the codec's tag and extra bytes.
AM_MEDIA_TYPE MakeWmaMediaType(const WmaCodec& codec, const WmaCodecFormat& format);
