#include "filters/VorbisInputLayout.h"

#include <bit>

#include "filters/VorbisChannelOrder.h"
#include "platform/media/WaveFormatExtensible.h"

namespace {

// Inline little-endian reads: these run once per sample.
int16_t Signed16(const uint8_t* at) { return static_cast<int16_t>(at[0] | at[1] << 8); }

int32_t Signed24(const uint8_t* at) {
  const uint32_t raw =
      static_cast<uint32_t>(at[0]) << 8 | static_cast<uint32_t>(at[1]) << 16 | static_cast<uint32_t>(at[2]) << 24;
  return static_cast<int32_t>(raw) >> 8;
}

uint32_t Raw32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

std::optional<VorbisInputLayout> VorbisInputLayout::From(const WAVEFORMATEX& format, std::span<const uint8_t> extra) {
  const std::optional<uint16_t> tag = PlainFormatTag(format, extra);
  if (!tag || format.nChannels == 0 || format.nSamplesPerSec == 0) return std::nullopt;
  std::optional<Encoding> encoding;
  if (*tag == WAVE_FORMAT_PCM) {
    switch (format.wBitsPerSample) {
      case 8:
        encoding = Encoding::Unsigned8;
        break;
      case 16:
        encoding = Encoding::Signed16;
        break;
      case 24:
        encoding = Encoding::Signed24;
        break;
      case 32:
        encoding = Encoding::Signed32;
        break;
      default:
        break;
    }
  } else if (*tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32) {
    encoding = Encoding::Float32;
  }
  if (!encoding) return std::nullopt;
  if (format.nBlockAlign != format.nChannels * (format.wBitsPerSample / 8)) return std::nullopt;
  return VorbisInputLayout(*encoding, format.nChannels, format.nBlockAlign);
}

VorbisInputLayout::VorbisInputLayout(Encoding encoding, uint16_t channels, uint16_t blockBytes)
    : m_encoding(encoding),
      m_channels(channels),
      m_blockBytes(blockBytes),
      m_sampleBytes(static_cast<uint16_t>(blockBytes / channels)),
      m_map(PlatformToVorbisChannels(channels)) {}

template <class ReadSample>
void VorbisInputLayout::CopyWith(const uint8_t* input, size_t frames, float** channels, size_t offset,
                                 ReadSample read) const {
  for (uint16_t k = 0; k < m_channels; ++k) {
    float* out = channels[m_map[k]] + offset;
    const uint8_t* in = input + k * m_sampleBytes;
    for (size_t i = 0; i < frames; ++i, in += m_blockBytes) out[i] = read(in);
  }
}

void VorbisInputLayout::Copy(const uint8_t* input, size_t frames, float** channels, size_t offset) const {
  switch (m_encoding) {
    case Encoding::Unsigned8:
      CopyWith(input, frames, channels, offset, [](const uint8_t* at) { return (at[0] - 128) * (1.0f / 128); });
      break;
    case Encoding::Signed16:
      CopyWith(input, frames, channels, offset, [](const uint8_t* at) { return Signed16(at) * (1.0f / 32768); });
      break;
    case Encoding::Signed24:
      CopyWith(input, frames, channels, offset, [](const uint8_t* at) { return Signed24(at) * (1.0f / 8388608); });
      break;
    case Encoding::Signed32:
      CopyWith(input, frames, channels, offset,
               [](const uint8_t* at) { return static_cast<int32_t>(Raw32(at)) * (1.0f / 2147483648.0f); });
      break;
    case Encoding::Float32:
      CopyWith(input, frames, channels, offset, [](const uint8_t* at) { return std::bit_cast<float>(Raw32(at)); });
      break;
  }
}
