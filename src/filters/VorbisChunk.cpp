#include "filters/VorbisChunk.h"

void VorbisChunk::Add(std::span<const uint8_t> packet, int64_t granulePosition, int64_t number, bool last) {
  packets.reserve(packets.size() + 1);
  const size_t offset = bytes.size();
  bytes.insert(bytes.end(), packet.begin(), packet.end());
  packets.push_back({offset, packet.size(), granulePosition, number, last});
}
