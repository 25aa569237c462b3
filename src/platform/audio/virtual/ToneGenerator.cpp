#include "platform/audio/virtual/ToneGenerator.h"

#include <cmath>
#include <numbers>

#include "platform/audio/PcmSample.h"

ToneGenerator::ToneGenerator(const WAVEFORMATEX& format) : m_format(format) {}

HRESULT ToneGenerator::Read(uint8_t* output, size_t frames, size_t* framesRead) {
  if (output == nullptr || framesRead == nullptr) return E_POINTER;
  const size_t sampleBytes = m_format.wBitsPerSample / 8;
  const double fullScale = 2147483647.0 * kAmplitude;
  for (size_t frame = 0; frame < frames; ++frame) {
    const double seconds = static_cast<double>(m_frameInSecond) / m_format.nSamplesPerSec;
    for (int c = 0; c < m_format.nChannels; ++c) {
      const double value = std::sin(2.0 * std::numbers::pi * FrequencyHz(c) * seconds);
      WritePcmSample(output + (frame * m_format.nChannels + c) * sampleBytes, m_format.wBitsPerSample,
                     static_cast<int32_t>(std::lround(value * fullScale)));
    }
    if (++m_frameInSecond == m_format.nSamplesPerSec) m_frameInSecond = 0;
  }
  *framesRead = frames;
  return S_OK;
}
