#pragma once
// Test audio for the MP3 encoder: 16-bit PCM tones in, MPEG frame summaries out.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <vector>

#include "filters/MpegAudioStream.h"
#include "platform/media/WaveFormat.h"

using Bytes = std::vector<uint8_t>;

// Interleaved 16-bit little-endian tones, `leftHz` on the first channel and `rightHz` on the
// second.
inline Bytes TonePcm(int rateHz, int channels, size_t frames, double leftHz = 440, double rightHz = 660) {
  Bytes pcm(frames * static_cast<size_t>(channels) * 2);
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double hz = c == 0 ? leftHz : rightHz;
      const double value = 12000 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rateHz);
      PutLe16(pcm.data() + (i * static_cast<size_t>(channels) + static_cast<size_t>(c)) * 2,
              static_cast<uint16_t>(static_cast<int16_t>(std::lround(value))));
    }
  }
  return pcm;
}

// Each 16-bit mono sample twice, as a stereo frame.
inline Bytes DuplicatedToStereo(const Bytes& mono) {
  Bytes stereo;
  stereo.reserve(mono.size() * 2);
  for (size_t i = 0; i + 1 < mono.size(); i += 2)
    stereo.insert(stereo.end(), {mono[i], mono[i + 1], mono[i], mono[i + 1]});
  return stereo;
}

// The frames' summary; nothing (with a test failure) when they are not a clean stream.
inline std::optional<MpegAudioStreamSummary> Summarise(Bytes frames) {
  if (frames.empty()) {
    ADD_FAILURE() << "no frames";
    return std::nullopt;
  }
  std::FILE* file = fmemopen(frames.data(), frames.size(), "rb");
  MpegAudioStreamSummary summary;
  const HRESULT hr = ReadMpegAudioStream(file, "frames", &summary);
  std::fclose(file);
  if (hr != S_OK) {
    ADD_FAILURE() << GetErrorInfo();
    return std::nullopt;
  }
  return summary;
}

// Every frame header in a clean stream, in order.
inline std::vector<MpegAudioFrameHeader> FrameHeaders(const Bytes& frames) {
  std::vector<MpegAudioFrameHeader> headers;
  for (size_t at = 0; at + kMpegAudioFrameHeaderBytes <= frames.size();) {
    const auto header =
        ParseMpegAudioFrameHeader(std::span<const uint8_t, kMpegAudioFrameHeaderBytes>(frames.data() + at, 4));
    if (!header) break;
    headers.push_back(*header);
    at += header->FrameBytes();
  }
  return headers;
}
