#pragma once
// Single samples of interleaved integer PCM as wave format records describe them: 8-bit
// unsigned, 16-, 24- and 32-bit signed little-endian. Values travel between sizes scaled to
// the full signed 32-bit range, so a conversion is a shift.

#include <cstddef>
#include <cstdint>

bool IsPcmSampleSize(uint16_t bitsPerSample);

// `bitsPerSample` must satisfy IsPcmSampleSize.
int32_t ReadPcmSample(const uint8_t* at, uint16_t bitsPerSample);
// Keeps the most significant bits of `value` (truncation).
void WritePcmSample(uint8_t* at, uint16_t bitsPerSample, int32_t value);
// The largest magnitude among the samples of `bytes` (whole samples), on the 32-bit scale:
// 0 for silence, 2^31 for the most negative value.
uint32_t PcmPeak(const uint8_t* data, size_t bytes, uint16_t bitsPerSample);
