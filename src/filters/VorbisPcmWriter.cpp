#include "filters/VorbisPcmWriter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "filters/VorbisChannelOrder.h"

namespace {

// Samples are stored in host order, which is the wave format's little-endian order.
static_assert(std::endian::native == std::endian::little);

// Samples are converted this many at a time into a contiguous block, which vectorises, and
// then spread over the interleaved output.
constexpr int kChunkFrames = 256;

// Branch-free for the same reason; not a number (only damaged input makes one) becomes
// silence.
int16_t ToSigned16(float value) {
  float scaled = value * 32767.0f;
  scaled = scaled == scaled ? scaled : 0.0f;
  scaled = scaled > -32768.0f ? scaled : -32768.0f;
  scaled = scaled < 32767.0f ? scaled : 32767.0f;
  return static_cast<int16_t>(scaled);
}

}  // namespace

void VorbisPcmWriter::SetFormat(const VorbisPcmFormat& format) {
  m_format = format;
  m_map = VorbisToPlatformChannels(format.channels);
  m_gain.reset();
}

template <class Sample, class Convert>
void VorbisPcmWriter::WriteWith(const float* const* channels, int frames, uint8_t* output, Convert convert) const {
  // Mono and stereo keep their order: frames are interleaved into the chunk whole, which
  // vectorises too, and copied out in one go.
  if (m_map.size() <= 2) {
    Sample frameChunk[2 * kChunkFrames];
    const float* left = channels[0];
    const float* right = channels[m_map.size() - 1];
    const size_t width = m_map.size();
    for (int done = 0; done < frames; done += kChunkFrames) {
      const int count = std::min(kChunkFrames, frames - done);
      if (width == 1) {
        for (int i = 0; i < count; ++i) frameChunk[i] = convert(left[done + i]);
      } else {
        for (int i = 0; i < count; ++i) {
          frameChunk[2 * i] = convert(left[done + i]);
          frameChunk[2 * i + 1] = convert(right[done + i]);
        }
      }
      std::memcpy(output + static_cast<size_t>(done) * width * sizeof(Sample), frameChunk,
                  static_cast<size_t>(count) * width * sizeof(Sample));
    }
    return;
  }
  Sample chunk[kChunkFrames];
  const size_t blockAlign = m_format.BlockAlign();
  for (size_t j = 0; j < m_map.size(); ++j) {
    const float* in = channels[j];
    uint8_t* out = output + static_cast<size_t>(m_map[j]) * sizeof(Sample);
    for (int done = 0; done < frames; done += kChunkFrames) {
      const int count = std::min(kChunkFrames, frames - done);
      for (int i = 0; i < count; ++i) chunk[i] = convert(in[done + i]);
      for (int i = 0; i < count; ++i, out += blockAlign) std::memcpy(out, &chunk[i], sizeof(Sample));
    }
  }
}

void VorbisPcmWriter::Write(const float* const* channels, int frames, uint8_t* output) const {
  const float gain = m_gain.value_or(1.0f);
  if (m_format.isFloat)
    WriteWith<float>(channels, frames, output, [gain](float value) { return value * gain; });
  else
    WriteWith<int16_t>(channels, frames, output, [gain](float value) { return ToSigned16(value * gain); });
}
