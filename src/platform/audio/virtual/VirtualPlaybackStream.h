#pragma once
// The virtual device's playback stream: paced like hardware that plays one write while the
// next waits (or not at all when unpaced). What it plays may be kept in a WAV file for tests:
// a write reaches the file once it has played, so a flush, which drops the write still
// playing, keeps only the part that was heard.
//
// Threads: Write and Drain on the streaming thread; SetFlushing on the flushing or stopping
// thread; UnplayedFrames on any. m_mutex guards m_pending, m_flushing and m_played.

#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/AudioPlaybackStream.h"
#include "platform/audio/virtual/VirtualDeviceClock.h"
#include "platform/audio/virtual/WavFileWriter.h"
#include "platform/media/WaveFormat.h"

class VirtualPlaybackStream : public AudioPlaybackStream {
 public:
  // `played` may be null: the audio is discarded.
  VirtualPlaybackStream(const WAVEFORMATEX& format, bool paced, std::unique_ptr<WavFileWriter> played);
  // Keeps what was heard of the write still playing.
  ~VirtualPlaybackStream() override;

  HRESULT SetFlushing(bool flushing) override;
  HRESULT Write(std::span<const uint8_t> data) override;
  HRESULT Drain() override;
  uint64_t UnplayedFrames() override;

 private:
  // Moves the frames of m_pending the clock has played to the file; the rest is dropped.
  // Call with m_mutex held.
  HRESULT KeepPlayed();

  const uint16_t m_blockBytes;
  VirtualDeviceClock m_clock;
  std::mutex m_mutex;
  std::vector<uint8_t> m_pending;  // the write playing now
  bool m_flushing = false;
  std::unique_ptr<WavFileWriter> m_played;
};
