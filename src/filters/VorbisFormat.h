#pragma once
// The Vorbis media type that travels between the Vorbis encoder, the Ogg multiplexer, the Ogg
// splitter and the Vorbis decoder. Its format block is 24 bytes, little-endian:
//
//   u32 channels, i32 samples per second, i32 minimum, i32 average and i32 maximum bitrate
//   (bits per second), f32 quality
//
// A quality from -0.1 to 1.0 selects quality-based encoding; any other value selects bitrate
// management with the three bitrates.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/media/MediaType.h"

// {CDDCA2D5-6D75-4F98-840E-737BEDD5C63B}
inline constexpr GUID MEDIASUBTYPE_Vorbis{0xCDDCA2D5, 0x6D75, 0x4F98, {0x84, 0x0E, 0x73, 0x7B, 0xED, 0xD5, 0xC6, 0x3B}};
// {6BDDFA7E-9F22-46A9-AB5E-884EFF294D9F}
inline constexpr GUID FORMAT_Vorbis{0x6BDDFA7E, 0x9F22, 0x46A9, {0xAB, 0x5E, 0x88, 0x4E, 0xFF, 0x29, 0x4D, 0x9F}};

constexpr size_t kVorbisFormatBytes = 24;

struct VORBISFORMAT {
  uint32_t nChannels = 0;
  int32_t nSamplesPerSec = 0;
  int32_t nMinBitsPerSec = 0;
  int32_t nAvgBitsPerSec = 0;
  int32_t nMaxBitsPerSec = 0;
  float fQuality = 0.0f;

  friend bool operator==(const VORBISFORMAT&, const VORBISFORMAT&) = default;
};

// True when `quality` selects quality-based encoding rather than bitrate management.
bool IsVorbisQualityMode(float quality);

std::vector<uint8_t> EncodeVorbisFormat(const VORBISFORMAT& format);
// Reads the first 24 bytes of a block; a shorter block gives nothing.
std::optional<VORBISFORMAT> DecodeVorbisFormat(std::span<const uint8_t> block);

// Audio / Vorbis / Vorbis format with `format` as its block; samples vary in size.
AM_MEDIA_TYPE MakeVorbisMediaType(const VORBISFORMAT& format);
// True for audio / Vorbis / Vorbis format, whatever the block holds.
bool IsVorbisMediaType(const AM_MEDIA_TYPE& type);
// The format block of a Vorbis media type; nothing for another type or a short block.
std::optional<VORBISFORMAT> VorbisFormatOf(const AM_MEDIA_TYPE& type);
