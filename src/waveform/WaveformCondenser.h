#pragma once
// Condenses PCM into display values, one per step of audio, and keeps the figures of the dump
// file's header line (format, byte count, extremes). Holds no lock: its owner (the dump's input
// pin) calls it under the dump's receive lock.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/media/WaveFormat.h"

class WaveformCondenser {
 public:
  // True for the formats the condenser reads: PCM, 8 or 16 bits, at least one channel and a
  // rate that fits the header's signed field.
  static bool Accepts(const WAVEFORMATEX& format);

  // Takes the format's channels, rate and bytes per sample and derives the step; the byte count
  // restarts at 0, the extremes carry on. `format` must be one Accepts takes.
  void SetFormat(const WAVEFORMATEX& format);

  // Replaces `values` with the buffer's values: ceil(L / (frame + step)) of them for L bytes,
  // value k from the whole frame at or before byte k x (frame + step), in order. A value is the
  // frame's channel sum over the channel count (8-bit samples centred on 128); a final partial
  // frame sums the samples it holds. Counts the bytes.
  void Condense(std::span<const uint8_t> data, std::vector<int>* values);

  // Widens the extremes by a value that was written.
  void Track(int value);

  // "%d\t%d\t%d\t%f\t%d\t%d": channels, rate, bytes per sample, seconds of audio counted,
  // maximum, minimum. The byte count restarts at 0.
  std::string FinishHeader();

  int Step() const { return m_step; }

 private:
  int FrameValue(const uint8_t* frame, size_t available) const;

  uint32_t m_channels = 0;
  int32_t m_samplesPerSecond = 0;
  int32_t m_bytesPerSample = 0;
  int32_t m_step = 0;  // bytes between two values, after the frame a value is taken from
  int64_t m_totalBytes = 0;
  int16_t m_maximum = 0;
  int16_t m_minimum = 0;
};
