#include "filters/VorbisPcmWriter.h"

#include <bit>

#include "filters/VorbisChannelOrder.h"

namespace {

// Little-endian stores kept inline: they run once per sample.
void Store16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Store32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

int16_t ToSigned16(float value) {
  const float scaled = value * 32767.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  // Not a number (only damaged input makes one) becomes silence.
  if (scaled != scaled) return 0;
  return static_cast<int16_t>(scaled);
}

}  // namespace

void VorbisPcmWriter::SetFormat(const VorbisPcmFormat& format) {
  m_format = format;
  m_map = VorbisToPlatformChannels(format.channels);
  m_gain.reset();
}

template <class Convert>
void VorbisPcmWriter::WriteWith(const float* const* channels, int frames, uint8_t* output, Convert convert) const {
  const size_t sampleBytes = m_format.BytesPerSample();
  const size_t blockAlign = m_format.BlockAlign();
  for (size_t j = 0; j < m_map.size(); ++j) {
    const float* in = channels[j];
    uint8_t* out = output + static_cast<size_t>(m_map[j]) * sampleBytes;
    for (int i = 0; i < frames; ++i, out += blockAlign) convert(in[i], out);
  }
}

void VorbisPcmWriter::Write(const float* const* channels, int frames, uint8_t* output) const {
  const float gain = m_gain.value_or(1.0f);
  if (m_format.isFloat) {
    WriteWith(channels, frames, output,
              [gain](float value, uint8_t* out) { Store32(out, std::bit_cast<uint32_t>(value * gain)); });
  } else {
    WriteWith(channels, frames, output,
              [gain](float value, uint8_t* out) { Store16(out, static_cast<uint16_t>(ToSigned16(value * gain))); });
  }
}
