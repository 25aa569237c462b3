#pragma once
// A test hook: a signal that fails like a broken device once a number of frames were read, so
// tests can end a recording mid-stream with a failure of the capture thread's own. Read on the
// capture thread only.

#include <cstdint>
#include <memory>

#include "platform/audio/virtual/VirtualSignal.h"

class FailingSignal : public VirtualSignal {
 public:
  FailingSignal(std::unique_ptr<VirtualSignal> signal, uint64_t frameLimit);

  // The inner signal's frames up to `frameLimit` in all; a read that would go past it fails with
  // an I/O error and a text naming the hook.
  HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead) override;

 private:
  std::unique_ptr<VirtualSignal> m_signal;
  const uint64_t m_frameLimit;
  uint64_t m_framesRead = 0;
};
