#pragma once
// The virtual device's playback stream: paced like hardware that holds one write beyond the
// one playing (or not at all when unpaced). What it is given to play may be kept in a WAV
// file for tests.

#include <memory>

#include "platform/audio/AudioPlaybackStream.h"
#include "platform/audio/virtual/VirtualDeviceClock.h"
#include "platform/audio/virtual/WavFileWriter.h"
#include "platform/media/WaveFormat.h"

class VirtualPlaybackStream : public AudioPlaybackStream {
 public:
  // `played` may be null: the audio is discarded.
  VirtualPlaybackStream(const WAVEFORMATEX& format, bool paced, std::unique_ptr<WavFileWriter> played);

  HRESULT SetFlushing(bool flushing) override;
  HRESULT Write(std::span<const uint8_t> data) override;
  HRESULT Drain() override;

 private:
  const uint16_t m_blockBytes;
  VirtualDeviceClock m_clock;
  std::unique_ptr<WavFileWriter> m_played;  // streaming thread only
};
