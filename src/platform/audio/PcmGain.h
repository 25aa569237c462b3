#pragma once
// A software volume for interleaved integer PCM (8-, 16-, 24- and 32-bit): every sample is
// multiplied by a factor between 0 and 1 and rounded to the nearest value of its size.

#include <cstddef>
#include <cstdint>

// The factor for a volume in hundredths of a decibel; -10000 and below give 0 (silence).
double GainFromVolume(long hundredthsOfDecibel);

// `bytes` is a whole number of samples of `bitsPerSample`; `input` and `output` may be the same.
void ApplyPcmGain(const uint8_t* input, uint8_t* output, size_t bytes, uint16_t bitsPerSample, double gain);
