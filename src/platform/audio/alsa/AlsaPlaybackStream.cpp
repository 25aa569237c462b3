#include "platform/audio/alsa/AlsaPlaybackStream.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/audio/alsa/AlsaError.h"

namespace {

constexpr int kPollMs = 20;

}  // namespace

HRESULT AlsaPlaybackStream::Open(const std::string& name, const AlsaConfig* config, const WAVEFORMATEX& format,
                                 std::unique_ptr<AudioPlaybackStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  std::unique_ptr<AlsaPcm> pcm;
  HRESULT hr = AlsaPcm::Open(name, false, config, &pcm);
  if (FAILED(hr)) return hr;
  hr = pcm->Configure(format, kPeriodMs, kDeviceBufferMs);
  if (FAILED(hr)) return hr;
  *stream = std::make_unique<AlsaPlaybackStream>(std::move(pcm), format);
  return S_OK;
}

AlsaPlaybackStream::AlsaPlaybackStream(std::unique_ptr<AlsaPcm> pcm, const WAVEFORMATEX& format)
    : m_pcm(std::move(pcm)), m_blockBytes(format.nBlockAlign), m_rateHz(format.nSamplesPerSec) {}

HRESULT AlsaPlaybackStream::SetFlushing(bool flushing) {
  std::lock_guard lock(m_mutex);
  m_flushing = flushing;
  if (flushing) {
    snd_pcm_drop(m_pcm->Get());
    snd_pcm_prepare(m_pcm->Get());
  }
  return S_OK;
}

HRESULT AlsaPlaybackStream::Write(std::span<const uint8_t> data) {
  snd_pcm_t* pcm = m_pcm->Get();
  const uint8_t* next = data.data();
  snd_pcm_uframes_t frames = data.size() / m_blockBytes;
  while (frames > 0) {
    snd_pcm_sframes_t written;
    {
      std::lock_guard lock(m_mutex);
      if (m_flushing) return S_FALSE;
      written = snd_pcm_writei(pcm, next, frames);
      if (written == -EPIPE || written == -ESTRPIPE) {
        const int error = snd_pcm_recover(pcm, static_cast<int>(written), 1);
        if (error < 0) return AlsaFailure(error, "Playback on \"" + m_pcm->Name() + "\" could not recover");
        continue;
      }
    }
    if (written == -EAGAIN) {
      snd_pcm_wait(pcm, kPollMs);
      continue;
    }
    if (written < 0) return AlsaFailure(static_cast<int>(written), "Playback on \"" + m_pcm->Name() + "\" failed");
    next += static_cast<size_t>(written) * m_blockBytes;
    frames -= static_cast<snd_pcm_uframes_t>(written);
  }
  return S_OK;
}

HRESULT AlsaPlaybackStream::Drain() {
  snd_pcm_t* pcm = m_pcm->Get();
  for (;;) {
    snd_pcm_sframes_t delay = 0;
    {
      std::lock_guard lock(m_mutex);
      if (m_flushing) return S_FALSE;
      // A device that has not reached its start threshold holds audio it has not begun to play.
      if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED && snd_pcm_delay(pcm, &delay) >= 0 && delay > 0)
        snd_pcm_start(pcm);
      if (snd_pcm_state(pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm, &delay) < 0 || delay <= 0) {
        if (snd_pcm_state(pcm) == SND_PCM_STATE_XRUN) snd_pcm_prepare(pcm);
        return S_OK;
      }
    }
    const auto left = std::chrono::milliseconds(delay * 1000 / m_rateHz + 1);
    std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kPollMs)));
  }
}
