#pragma once
// How the encoder's input bytes become the library's float channels: the sample encoding of a
// wave format record and the channel order. Integer PCM of 8 (unsigned), 16, 24 and 32 bits
// and 32-bit IEEE float are read, plain or in the extensible record; samples scale to -1..1.
// Six channels arrive in the platform's 5.1 order (FL, FR, C, LFE, RL, RR) and leave in
// Vorbis order (FL, C, FR, RL, RR, LFE); other counts keep their order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/media/WaveFormat.h"

class VorbisInputLayout {
 public:
  // Nothing when the record (with the `extra` bytes after it) holds samples that cannot be
  // read: another encoding, an odd sample size, no channels, a block alignment that does not
  // match channels times sample size, or a rate of 0.
  static std::optional<VorbisInputLayout> From(const WAVEFORMATEX& format, std::span<const uint8_t> extra);

  uint16_t Channels() const { return m_channels; }
  uint16_t BlockBytes() const { return m_blockBytes; }
  // The library channel that input channel k goes to.
  const std::vector<int>& ChannelMap() const { return m_map; }

  // Reads `frames` whole frames from `input` into `channels[map[k]][offset ...]`.
  void Copy(const uint8_t* input, size_t frames, float** channels, size_t offset) const;

 private:
  enum class Encoding { Unsigned8, Signed16, Signed24, Signed32, Float32 };

  VorbisInputLayout(Encoding encoding, uint16_t channels, uint16_t blockBytes);

  template <class ReadSample>
  void CopyWith(const uint8_t* input, size_t frames, float** channels, size_t offset, ReadSample read) const;

  Encoding m_encoding;
  uint16_t m_channels;
  uint16_t m_blockBytes;
  uint16_t m_sampleBytes;
  std::vector<int> m_map;
};
