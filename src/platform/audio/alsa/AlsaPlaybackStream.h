#pragma once
// A playback stream on an ALSA PCM. Writes wait for room in the device's buffer in short
// polls, so flushing can cut them off; an underrun (the renderer paused, or fell behind) is
// recovered at the next write.
//
// Threads: SetFlushing from the control or flushing thread; Write and Drain from the
// renderer's streaming thread. m_mutex guards every use of the PCM and m_flushing; no call
// waits on the device while holding it.

#include <memory>
#include <mutex>
#include <string>

#include "platform/audio/AudioPlaybackStream.h"
#include "platform/audio/alsa/AlsaPcm.h"

class AlsaPlaybackStream : public AudioPlaybackStream {
 public:
  // Opens the PCM `name` (from `config`, or the system's when null) for `format`.
  static HRESULT Open(const std::string& name, const AlsaConfig* config, const WAVEFORMATEX& format,
                      std::unique_ptr<AudioPlaybackStream>* stream);

  AlsaPlaybackStream(std::unique_ptr<AlsaPcm> pcm, const WAVEFORMATEX& format);

  HRESULT SetFlushing(bool flushing) override;
  HRESULT Write(std::span<const uint8_t> data) override;
  HRESULT Drain() override;

  static constexpr unsigned kPeriodMs = 50;
  static constexpr unsigned kDeviceBufferMs = 250;

 private:
  const std::unique_ptr<AlsaPcm> m_pcm;
  const uint16_t m_blockBytes;
  const uint32_t m_rateHz;
  std::mutex m_mutex;
  bool m_flushing = false;
};
