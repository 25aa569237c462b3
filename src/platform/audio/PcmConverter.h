#pragma once
// Converts interleaved integer PCM between channel counts and sample sizes at one rate.
// Channels: mono is copied to every output channel, several channels mix to mono by their
// average, otherwise output channel c takes input channel c modulo the input count (extra
// input channels are dropped, missing ones repeat the input's). Sample sizes change by
// keeping the most significant bits.

#include <cstddef>
#include <cstdint>

#include "platform/media/WaveFormat.h"

class PcmConverter {
 public:
  // Both formats must hold 8-, 16-, 24- or 32-bit PCM with at least one channel.
  PcmConverter(const WAVEFORMATEX& from, const WAVEFORMATEX& to);

  // `input` holds `frames` frames of the source format, `output` room for as many of the target.
  void Convert(const uint8_t* input, uint8_t* output, size_t frames) const;

 private:
  uint16_t m_inChannels, m_inBits, m_inBlockBytes;
  uint16_t m_outChannels, m_outBits, m_outBlockBytes;
};
