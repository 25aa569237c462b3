#pragma once
// The virtual device's capture stream: frames from a signal (test tone or WAV file), handed
// out at the pace of real time or as fast as they are read. A pause hands out what was captured
// until then; the signal does not advance while paused, so a paused file resumes where it
// stopped.

#include <atomic>
#include <memory>
#include <vector>

#include "platform/audio/AudioCaptureStream.h"
#include "platform/audio/virtual/VirtualDeviceClock.h"
#include "platform/audio/virtual/VirtualSignal.h"
#include "platform/media/WaveFormat.h"

class VirtualCaptureStream : public AudioCaptureStream {
 public:
  VirtualCaptureStream(const WAVEFORMATEX& format, std::unique_ptr<VirtualSignal> signal, bool paced);

  HRESULT Start() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) override;
  // The virtual device never overruns: it waits for its reader.
  uint64_t OverrunCount() const override { return 0; }

 private:
  const uint16_t m_blockBytes;
  std::atomic<bool> m_stopped{false};
  std::unique_ptr<VirtualSignal> m_signal;  // capture thread only
  std::vector<uint8_t> m_carry;             // capture thread only: read from the signal, not yet handed out
  VirtualDeviceClock m_clock;
};
