#pragma once
// A capture stream on an ALSA PCM. A thread of its own reads the device period by period into
// a ring, so a reader that falls behind for a while loses nothing; when the ring is full the
// newest audio is dropped, and that, like an overrun of the device itself (recovered at
// once), counts as one dropout per episode. Recording goes on either way.
//
// Threads: Start, Pause and Stop come from the control thread; Read from the capture filter's
// thread; the device thread owns the PCM. m_mutex guards m_state, m_ring, m_overflowing,
// m_failure and m_failureText; m_changed signals every change of them.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/AudioCaptureStream.h"
#include "platform/audio/alsa/AlsaPcm.h"
#include "platform/audio/ByteRing.h"

class AlsaCaptureStream : public AudioCaptureStream {
 public:
  // Opens the PCM `name` (from `config`, or the system's when null) for `format`; the ring
  // holds `ringMs` of audio. A refusal gives its code and a readable text.
  static HRESULT Open(const std::string& name, const AlsaConfig* config, const WAVEFORMATEX& format, unsigned ringMs,
                      std::unique_ptr<AudioCaptureStream>* stream);

  AlsaCaptureStream(std::unique_ptr<AlsaPcm> pcm, const WAVEFORMATEX& format, size_t ringBytes);
  ~AlsaCaptureStream() override;

  HRESULT Start() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) override;
  uint64_t OverrunCount() const override { return m_overruns; }

  static constexpr unsigned kPeriodMs = 20;
  static constexpr unsigned kDeviceBufferMs = 200;

 private:
  enum class State { Idle, Running, Paused, Stopped };

  void DeviceThread();
  // Reads one period (or less) from the device into the ring; false after a device failure.
  bool Capture(std::vector<uint8_t>& chunk, bool* captured);
  void Keep(const uint8_t* data, size_t bytes);
  void Fail(HRESULT hr);

  const std::unique_ptr<AlsaPcm> m_pcm;
  const uint16_t m_blockBytes;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  State m_state = State::Idle;
  ByteRing m_ring;
  bool m_overflowing = false;
  HRESULT m_failure = S_OK;
  std::string m_failureText;
  std::atomic<uint64_t> m_overruns{0};
  std::thread m_thread;
};
