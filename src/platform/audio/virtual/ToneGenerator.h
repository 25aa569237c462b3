#pragma once
// An endless test tone: a sine of 440 Hz on the first channel, 110 Hz higher on each further
// channel (so channels can be told apart), at a quarter of full scale (-12 dBFS).

#include "platform/audio/virtual/VirtualSignal.h"
#include "platform/media/WaveFormat.h"

class ToneGenerator : public VirtualSignal {
 public:
  // `format` is 8-, 16-, 24- or 32-bit PCM.
  explicit ToneGenerator(const WAVEFORMATEX& format);

  HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead) override;

  static constexpr double kAmplitude = 0.25;
  static double FrequencyHz(int channel) { return 440.0 + 110.0 * channel; }

 private:
  WAVEFORMATEX m_format;
  // Frame within the current second: every channel's frequency is a whole number of hertz, so
  // the tone repeats each second and the phase stays exact however long it runs.
  uint32_t m_frameInSecond = 0;
};
