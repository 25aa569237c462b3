#pragma once
// A run of Vorbis audio packets decoded as one piece, so that runs can decode on separate
// library decoders at the same time. A run after the first of its session starts with the
// packet decoded before it: a fresh decoder primed with that packet (whose own audio is
// discarded) makes the same audio from the next packet on, bit for bit, as one decoder that
// saw every packet, as long as the primer carries its granule position. (A damaged primer
// leaves the first packet without the audio it overlaps, as the first packet after a seek.)
// Plain data: the streaming thread fills a chunk, one thread decodes it, the streaming thread
// delivers it; VorbisChunkQueue hands it over under its lock.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "filters/VorbisPcmWriter.h"

// Sample times are relative to the seek point, so packets before it have negative granule
// positions; libvorbis takes -1 for "unknown" and trims the start of a stream by a position
// below the samples it decoded, which would move the audio after a seek. The library is given
// positions raised by this much, and the decoder itself drops the audio before the seek point.
inline constexpr int64_t kVorbisGranuleBias = int64_t{1} << 40;

// What every chunk of one decoder set-up shares; fixed once the first chunk is made.
struct VorbisSession {
  std::array<std::vector<uint8_t>, 3> headers;  // identification, comment, codebook
  VorbisPcmWriter writer;                       // the output format and the stream's gain
};

struct VorbisChunkPacket {
  size_t offset = 0, size = 0;   // in VorbisChunk::bytes
  int64_t granulePosition = -1;  // raised by kVorbisGranuleBias; -1 when unknown
  int64_t number = 0;
  bool last = false;  // ends the stream: its padding is trimmed
};

// The audio of one decoded packet, ready for one output sample.
struct VorbisChunkBlock {
  int frames = 0;
  std::optional<int64_t> endGranule;  // relative to the seek point; nothing while unknown
};

struct VorbisChunk {
  std::shared_ptr<const VorbisSession> session;
  bool primed = false;  // packets[0] only primes the decoder
  std::vector<uint8_t> bytes;
  std::vector<VorbisChunkPacket> packets;
  // Filled by the decoding: the blocks' frames one after another, in the output format.
  std::vector<uint8_t> pcm;
  std::vector<VorbisChunkBlock> blocks;
  bool outOfMemory = false;  // the decoding stopped after `blocks`

  // Throws std::bad_alloc.
  void Add(std::span<const uint8_t> packet, int64_t granulePosition, int64_t number, bool last);
  std::span<const uint8_t> BytesOf(const VorbisChunkPacket& packet) const {
    return {bytes.data() + packet.offset, packet.size};
  }
  // Packets that make audio, the primer not counted.
  size_t AudioPackets() const { return packets.size() - (primed ? 1 : 0); }
};
