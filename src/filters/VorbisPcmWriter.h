#pragma once
// Interleaves the decoder's float channels into the agreed output: Vorbis channel j goes to
// output channel map[j] (the platform's 5.1 order for six channels), times the stream's gain
// when it has one. Floats pass unclipped; 16-bit samples are scaled by 32767, truncated toward
// zero and held to -32768..32767. Write only reads, so copies set up on one thread may write on
// several at once.

#include <cstdint>
#include <optional>
#include <vector>

#include "filters/VorbisPcmFormat.h"

class VorbisPcmWriter {
 public:
  // The output's channels and sample kind; resets the gain.
  void SetFormat(const VorbisPcmFormat& format);
  void SetGain(std::optional<float> gain) { m_gain = gain; }
  const std::vector<int>& ChannelMap() const { return m_map; }
  const VorbisPcmFormat& Format() const { return m_format; }

  // Writes `frames` frames from `channels` (one array per Vorbis channel, as many as the
  // format's) to `output`, which holds at least frames times the block alignment.
  void Write(const float* const* channels, int frames, uint8_t* output) const;

 private:
  template <class Sample, class Convert>
  void WriteWith(const float* const* channels, int frames, uint8_t* output, Convert convert) const;

  VorbisPcmFormat m_format;
  std::vector<int> m_map;
  std::optional<float> m_gain;
};
