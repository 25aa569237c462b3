#include "platform/audio/pulse/PulsePlaybackStream.h"

#include <pulse/timeval.h>

#include <algorithm>

namespace {

constexpr uint32_t kServerDefault = static_cast<uint32_t>(-1);

}  // namespace

HRESULT PulsePlaybackStream::Open(std::unique_ptr<PulseConnection> connection, const WAVEFORMATEX& format,
                                  std::unique_ptr<AudioPlaybackStream>* stream) {
  if (!connection || stream == nullptr) return E_POINTER;
  stream->reset();
  auto opened = std::make_unique<PulsePlaybackStream>(std::move(connection), format);
  const HRESULT hr = opened->Connect();
  if (FAILED(hr)) return hr;
  *stream = std::move(opened);
  return S_OK;
}

PulsePlaybackStream::PulsePlaybackStream(std::unique_ptr<PulseConnection> connection, const WAVEFORMATEX& format)
    : m_connection(std::move(connection)), m_format(format) {}

PulsePlaybackStream::~PulsePlaybackStream() { m_stream.reset(); }

HRESULT PulsePlaybackStream::Connect() {
  PulseConnection::Lock lock(*m_connection);
  const HRESULT hr = PulseStream::Create(*m_connection, "Playback", m_format, &m_stream);
  if (FAILED(hr)) return hr;
  pa_stream* stream = m_stream->Get();
  pa_stream_set_write_callback(stream, &PulsePlaybackStream::OnWritable, m_connection.get());
  pa_buffer_attr attributes;
  attributes.maxlength = kServerDefault;
  attributes.tlength = static_cast<uint32_t>(uint64_t{m_format.nAvgBytesPerSec} * kBufferMs / 1000 /
                                             m_format.nBlockAlign * m_format.nBlockAlign);
  attributes.prebuf = kServerDefault;
  attributes.minreq = kServerDefault;
  attributes.fragsize = kServerDefault;
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE);
  if (pa_stream_connect_playback(stream, nullptr, &attributes, flags, nullptr, nullptr) < 0)
    return m_connection->Failure("Playback on the sound server could not start");
  return m_stream->AwaitReady("Playback on the sound server could not start");
}

HRESULT PulsePlaybackStream::Failed() const { return m_connection->Failure("Playback on the sound server failed"); }

void PulsePlaybackStream::OnWritable(pa_stream*, size_t, void* userdata) {
  static_cast<const PulseConnection*>(userdata)->Signal();
}

HRESULT PulsePlaybackStream::SetFlushing(bool flushing) {
  PulseConnection::Lock lock(*m_connection);
  m_flushing = flushing;
  if (flushing) {
    if (m_stream->Good()) PulseStream::Forget(pa_stream_flush(m_stream->Get(), nullptr, nullptr));
    m_connection->Signal();
  }
  return S_OK;
}

HRESULT PulsePlaybackStream::Write(std::span<const uint8_t> data) {
  const size_t block = m_format.nBlockAlign;
  const uint8_t* next = data.data();
  size_t left = data.size() - data.size() % block;
  PulseConnection::Lock lock(*m_connection);
  while (left > 0) {
    if (m_flushing) return S_FALSE;
    if (!m_stream->Good()) return Failed();
    const size_t writable = pa_stream_writable_size(m_stream->Get());
    if (writable == static_cast<size_t>(-1)) return Failed();
    const size_t bytes = std::min(left, writable - writable % block);
    if (bytes == 0) {
      m_connection->Wait();
      continue;
    }
    if (pa_stream_write(m_stream->Get(), next, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) return Failed();
    next += bytes;
    left -= bytes;
  }
  return S_OK;
}

HRESULT PulsePlaybackStream::Drain() {
  PulseConnection::Lock lock(*m_connection);
  if (m_flushing) return S_FALSE;
  if (!m_stream->Good()) return Failed();
  return m_stream->Run([](pa_stream* stream, pa_stream_success_cb_t done,
                          void* outcome) { return pa_stream_drain(stream, done, outcome); },
                       "Playback on the sound server could not play out", [this] { return m_flushing; });
}

uint64_t PulsePlaybackStream::UnplayedFrames() {
  PulseConnection::Lock lock(*m_connection);
  pa_usec_t latency = 0;
  int negative = 0;
  if (!m_stream->Good() || pa_stream_get_latency(m_stream->Get(), &latency, &negative) < 0 || negative != 0) return 0;
  return latency * m_format.nSamplesPerSec / PA_USEC_PER_SEC;
}
