#include "platform/audio/alsa/AlsaCaptureStream.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <system_error>

#include "platform/audio/alsa/AlsaError.h"

HRESULT AlsaCaptureStream::Open(const std::string& name, const AlsaConfig* config, const WAVEFORMATEX& format,
                                unsigned ringMs, std::unique_ptr<AudioCaptureStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  std::unique_ptr<AlsaPcm> pcm;
  HRESULT hr = AlsaPcm::Open(name, true, config, &pcm);
  if (FAILED(hr)) return hr;
  hr = pcm->Configure(format, kPeriodMs, kDeviceBufferMs);
  if (FAILED(hr)) return hr;
  const size_t ringFrames = std::max<size_t>(uint64_t{format.nSamplesPerSec} * ringMs / 1000, pcm->PeriodFrames());
  try {
    *stream = std::make_unique<AlsaCaptureStream>(std::move(pcm), format, ringFrames * format.nBlockAlign);
  } catch (const std::system_error&) {
    SetErrorInfo("The capture thread could not be started.");
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

AlsaCaptureStream::AlsaCaptureStream(std::unique_ptr<AlsaPcm> pcm, const WAVEFORMATEX& format, size_t ringBytes)
    : m_pcm(std::move(pcm)), m_blockBytes(format.nBlockAlign), m_ring(ringBytes) {
  m_thread = std::thread(&AlsaCaptureStream::DeviceThread, this);
}

AlsaCaptureStream::~AlsaCaptureStream() {
  Stop();
  m_thread.join();
}

HRESULT AlsaCaptureStream::Start() {
  std::lock_guard lock(m_mutex);
  if (m_state == State::Idle || m_state == State::Paused) m_state = State::Running;
  m_changed.notify_all();
  return S_OK;
}

HRESULT AlsaCaptureStream::Pause() {
  std::lock_guard lock(m_mutex);
  if (m_state == State::Running) m_state = State::Paused;
  m_changed.notify_all();
  return S_OK;
}

HRESULT AlsaCaptureStream::Stop() {
  std::lock_guard lock(m_mutex);
  m_state = State::Stopped;
  m_changed.notify_all();
  return S_OK;
}

HRESULT AlsaCaptureStream::Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) {
  if (bytesRead == nullptr || endOfInput == nullptr) return E_POINTER;
  *bytesRead = 0;
  *endOfInput = false;
  const size_t wanted = buffer.size() - buffer.size() % m_blockBytes;
  if (wanted == 0) return E_INVALIDARG;
  std::unique_lock lock(m_mutex);
  size_t filled = 0;
  for (;;) {
    if (FAILED(m_failure)) {
      SetErrorInfo(m_failureText);
      return m_failure;
    }
    // The device thread keeps whole frames, so the ring always holds whole frames.
    filled += m_ring.Read(buffer.data() + filled, wanted - filled);
    *bytesRead = filled;
    if (filled == wanted) return S_OK;
    if (m_state == State::Stopped) return filled > 0 ? S_OK : S_FALSE;
    if (m_state == State::Paused && filled > 0) return S_OK;
    m_changed.wait(lock);
  }
}

void AlsaCaptureStream::DeviceThread() {
  snd_pcm_t* pcm = m_pcm->Get();
  std::vector<uint8_t> chunk(m_pcm->PeriodFrames() * m_blockBytes);
  bool running = false;
  for (;;) {
    State state;
    {
      std::lock_guard lock(m_mutex);
      state = m_state;
    }
    if (running && state != State::Running) {
      // What the device captured before the pause or stop is still handed out.
      for (snd_pcm_sframes_t avail = snd_pcm_avail(pcm); avail > 0;) {
        bool captured = false;
        if (!Capture(chunk, &captured)) return;
        if (!captured) break;
        avail -= static_cast<snd_pcm_sframes_t>(m_pcm->PeriodFrames());
      }
      snd_pcm_drop(pcm);
      running = false;
    }
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return m_state == State::Running || m_state == State::Stopped; });
      if (m_state == State::Stopped) return;
    }
    if (!running) {
      int error = snd_pcm_prepare(pcm);
      if (error >= 0) error = snd_pcm_start(pcm);
      if (error < 0) return Fail(AlsaFailure(error, "Capturing from \"" + m_pcm->Name() + "\" could not start"));
      running = true;
    }
    bool captured = false;
    if (!Capture(chunk, &captured)) return;
    if (!captured) snd_pcm_wait(pcm, static_cast<int>(2 * kPeriodMs));
  }
}

bool AlsaCaptureStream::Capture(std::vector<uint8_t>& chunk, bool* captured) {
  snd_pcm_t* pcm = m_pcm->Get();
  const snd_pcm_sframes_t frames = snd_pcm_readi(pcm, chunk.data(), m_pcm->PeriodFrames());
  *captured = frames > 0;
  if (frames == -EAGAIN) return true;
  if (frames == -EPIPE || frames == -ESTRPIPE) {
    ++m_overruns;
    int error = snd_pcm_recover(pcm, static_cast<int>(frames), 1);
    if (error >= 0) error = snd_pcm_start(pcm);
    if (error >= 0) return true;
    Fail(AlsaFailure(error, "Capturing from \"" + m_pcm->Name() + "\" could not recover from an overrun"));
    return false;
  }
  if (frames < 0) {
    Fail(AlsaFailure(static_cast<int>(frames), "Capturing from \"" + m_pcm->Name() + "\" failed"));
    return false;
  }
  Keep(chunk.data(), static_cast<size_t>(frames) * m_blockBytes);
  return true;
}

void AlsaCaptureStream::Keep(const uint8_t* data, size_t bytes) {
  std::lock_guard lock(m_mutex);
  if (m_ring.Free() < bytes) {
    if (!m_overflowing) ++m_overruns;
    m_overflowing = true;
    return;
  }
  m_overflowing = false;
  m_ring.Write(data, bytes);
  m_changed.notify_all();
}

void AlsaCaptureStream::Fail(HRESULT hr) {
  std::lock_guard lock(m_mutex);
  m_failure = hr;
  m_failureText = GetErrorInfo();
  m_changed.notify_all();
}
