#pragma once
// An open capture stream of one device in one format.
//
// Threads: Start, Pause and Stop come from the thread that changes the graph's state; Read
// runs on the capture thread only. Implementations guard their shared state themselves, so
// the control calls may arrive while Read blocks.
//
// A stream opens stopped and captures from Start on. Pause ends a blocked Read with the frames
// captured until then, and nothing captured while paused is ever returned: devices that cannot
// halt (or a sound server that keeps its source running) drop that data inside the stream.
// Overruns (the capture thread too slow for the device) are recovered inside Read and counted.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/media/HResult.h"

class AudioCaptureStream {
 public:
  virtual ~AudioCaptureStream() = default;

  // Starts or resumes capturing; calling it while capturing does nothing.
  virtual HRESULT Start() = 0;
  virtual HRESULT Pause() = 0;
  // Ends capturing for good: a blocked Read returns at once, and later ones too.
  virtual HRESULT Stop() = 0;

  // Fills `buffer` with whole frames (its size must hold at least one), blocking until all of
  // it is captured. Fewer bytes come only with `endOfInput` (the input ended: a file source)
  // or when Stop cuts a read short: then the frames captured until Stop come with S_OK, and
  // every later read gives S_FALSE and no data. A device failure gives its code with a
  // readable text through SetErrorInfo on the capture thread.
  virtual HRESULT Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) = 0;

  // Overruns recovered since the stream opened. Any thread.
  virtual uint64_t OverrunCount() const = 0;

  // The reader takes `bytes` (whole frames) at a time: the capture latency the user set. A
  // device that hands audio over in fragments (a sound server) makes them that size. Before
  // Start; devices that read period by period need nothing of it.
  virtual HRESULT SetReadSize(size_t bytes) {
    (void)bytes;
    return S_OK;
  }
};
