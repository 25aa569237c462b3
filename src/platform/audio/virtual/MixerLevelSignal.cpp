#include "platform/audio/virtual/MixerLevelSignal.h"

#include <cmath>

#include "platform/audio/PcmSample.h"

MixerLevelSignal::MixerLevelSignal(std::unique_ptr<VirtualSignal> inner, std::shared_ptr<const VirtualMixerState> mixer,
                                   const WAVEFORMATEX& format)
    : m_inner(std::move(inner)),
      m_mixer(std::move(mixer)),
      m_bits(format.wBitsPerSample),
      m_channels(format.nChannels) {}

HRESULT MixerLevelSignal::Read(uint8_t* output, size_t frames, size_t* framesRead) {
  const HRESULT hr = m_inner->Read(output, frames, framesRead);
  if (FAILED(hr)) return hr;
  const double gain = m_mixer->Gain();
  // Full volume passes the signal untouched, bit for bit.
  if (gain >= 1.0) return hr;
  const size_t sampleBytes = m_bits / 8;
  const size_t samples = *framesRead * m_channels;
  for (size_t i = 0; i < samples; ++i) {
    uint8_t* at = output + i * sampleBytes;
    WritePcmSample(at, m_bits, static_cast<int32_t>(std::lround(ReadPcmSample(at, m_bits) * gain)));
  }
  return hr;
}
