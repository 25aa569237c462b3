#pragma once
// The layout in which the Ogg multiplexer wraps streams other than Vorbis (video, wave-format
// audio, text), and which the Ogg splitter reads back.
//
// The stream's first packet is 0x01 followed by the stream header, little-endian:
//    0  8  stream type, zero-padded: "video", "audio" or "text"
//    8  4  subtype: video: four-character code; audio: the format tag as "%04x"; text: zero
//   12  4  size of this header: 56 + extra bytes
//   16  8  time unit: reference-time units per granule step
//   24  8  samples per unit
//   32  4  default packet duration (1)
//   36  4  buffer size
//   40  2  bits per sample
//   42  2  zero
//   44  4  video: width; audio: channels (2 bytes), block alignment (2 bytes)
//   48  4  video: height; audio: average bytes per second
//   52  4  zero
//   56  n  audio only: the wave format record's extra bytes
//
// Each data packet is a flag byte, the duration in d bytes (0 to 4), then the sample's bytes.
// Flag byte: 0x08 for a sync point; d's low two bits in bits 6-7 and its bit 2 in bit 1.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/media/MediaSample.h"
#include "platform/media/MediaType.h"

constexpr size_t kOggStreamHeaderBytes = 56;
constexpr uint8_t kOggStreamHeaderPacketType = 0x01;
constexpr uint8_t kOggDataPacketSyncPoint = 0x08;
constexpr size_t kOggDataPacketPrefixMaxBytes = 5;
constexpr uint32_t kOggTextBufferBytes = 16384;

enum class OggGenericKind { Video, Audio, Text };

struct OggStreamHeader {
  OggGenericKind kind = OggGenericKind::Text;
  uint32_t subtypeCode = 0;  // video: four-character code; audio: wave format tag; text: 0
  int64_t timeUnit = 0;      // REFERENCE_TIME per granule step
  int64_t samplesPerUnit = 0;
  uint32_t defaultDuration = 1;
  uint32_t bufferBytes = 0;
  uint16_t bitsPerSample = 0;
  uint32_t width = 0;           // video
  uint32_t height = 0;          // video
  uint16_t channels = 0;        // audio
  uint16_t blockAlign = 0;      // audio
  uint32_t avgBytesPerSec = 0;  // audio
  std::vector<uint8_t> extra;   // audio

  // Granule steps for a reference time, rounded to nearest.
  int64_t GranuleFromTime(REFERENCE_TIME time) const;
  REFERENCE_TIME TimeFromGranule(int64_t granule) const;
};

uint64_t GetLe64(const uint8_t* at);

// The header of a video-info stream; nothing when the block is too short or its average time
// per frame is not positive (granule steps would have no length).
std::optional<OggStreamHeader> MakeVideoStreamHeader(const AM_MEDIA_TYPE& type, uint32_t bufferBytes);
// The header of a wave-format stream; nothing when the block does not decode or has no rate.
std::optional<OggStreamHeader> MakeAudioStreamHeader(const AM_MEDIA_TYPE& type, uint32_t bufferBytes);
OggStreamHeader MakeTextStreamHeader();

// 0x01 followed by the 56-byte header and the extra bytes.
std::vector<uint8_t> EncodeStreamHeaderPacket(const OggStreamHeader& header);

// Reads a stream header packet back: 0x01, a known stream type, a size of at least 56 and
// positive time unit and samples per unit; extra bytes as far as the size and the packet reach.
// Nothing for any other packet.
std::optional<OggStreamHeader> ParseStreamHeaderPacket(std::span<const uint8_t> packet);

// The media type a stream header describes: video-info video with the four-character code as
// subtype, wave-format audio with the format tag as subtype, or text (major type only).
AM_MEDIA_TYPE MediaTypeFromStreamHeader(const OggStreamHeader& header);

struct OggDataPacket {
  bool syncPoint = false;
  int64_t duration = 1;  // granule steps
  std::span<const uint8_t> payload;
};

// Splits a data packet into its flag byte, duration and payload; nothing when the packet is
// shorter than its prefix says.
std::optional<OggDataPacket> ParseDataPacket(std::span<const uint8_t> packet);

// Writes the flag byte and duration bytes of a data packet to `prefix`; returns their count.
// The duration is left out when it equals the default of 1 and otherwise takes the fewest of
// 1 to 3 bytes that hold it, or 4; it is held to 0 .. 2^32 - 1.
size_t EncodeDataPacketPrefix(bool syncPoint, int64_t duration, uint8_t (&prefix)[kOggDataPacketPrefixMaxBytes]);
