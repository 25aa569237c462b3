#include "platform/audio/PcmConverter.h"

#include "platform/audio/PcmSample.h"

PcmConverter::PcmConverter(const WAVEFORMATEX& from, const WAVEFORMATEX& to)
    : m_inChannels(from.nChannels),
      m_inBits(from.wBitsPerSample),
      m_inBlockBytes(static_cast<uint16_t>(from.nChannels * from.wBitsPerSample / 8)),
      m_outChannels(to.nChannels),
      m_outBits(to.wBitsPerSample),
      m_outBlockBytes(static_cast<uint16_t>(to.nChannels * to.wBitsPerSample / 8)) {}

void PcmConverter::Convert(const uint8_t* input, uint8_t* output, size_t frames) const {
  const size_t inSampleBytes = m_inBits / 8;
  const size_t outSampleBytes = m_outBits / 8;
  const bool mixToMono = m_outChannels == 1 && m_inChannels > 1;
  for (size_t frame = 0; frame < frames; ++frame) {
    const uint8_t* in = input + frame * m_inBlockBytes;
    uint8_t* out = output + frame * m_outBlockBytes;
    if (mixToMono) {
      int64_t sum = 0;
      for (uint16_t c = 0; c < m_inChannels; ++c) sum += ReadPcmSample(in + c * inSampleBytes, m_inBits);
      WritePcmSample(out, m_outBits, static_cast<int32_t>(sum / m_inChannels));
      continue;
    }
    for (uint16_t c = 0; c < m_outChannels; ++c) {
      const int32_t value = ReadPcmSample(in + (c % m_inChannels) * inSampleBytes, m_inBits);
      WritePcmSample(out + c * outSampleBytes, m_outBits, value);
    }
  }
}
