#pragma once
// An open playback stream of the backend's output device in one format.
//
// Threads: SetFlushing comes from the thread that changes the graph's state or flushes;
// Write and Drain run on the streaming thread that feeds the renderer. Implementations guard
// their shared state themselves.
//
// Playing starts with the first Write. There is no pause: a paused renderer stops writing and
// the device plays out what it holds, then runs dry (an ALSA stream recovers that underrun at
// the next Write). Closing the stream (destroying it) drops what was not played.

#include <cstdint>
#include <span>

#include "platform/media/HResult.h"

class AudioPlaybackStream {
 public:
  virtual ~AudioPlaybackStream() = default;

  // While flushing, queued audio is dropped and Write and Drain return S_FALSE at once, also
  // those that were blocked when flushing began.
  virtual HRESULT SetFlushing(bool flushing) = 0;

  // Queues whole frames (a trailing partial frame is ignored), blocking while the device's
  // buffer is full.
  virtual HRESULT Write(std::span<const uint8_t> data) = 0;
  // Waits until everything written has been played.
  virtual HRESULT Drain() = 0;
  // Frames written but not yet heard, for the position a renderer reports; any thread. 0 when
  // the device cannot tell.
  virtual uint64_t UnplayedFrames() { return 0; }
};
