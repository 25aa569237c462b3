#include "platform/audio/pulse/PulseCaptureStream.h"

#include <algorithm>

namespace {

constexpr uint32_t kServerDefault = static_cast<uint32_t>(-1);

size_t BytesFor(const WAVEFORMATEX& format, unsigned ms) {
  const size_t frames = std::max<size_t>(1, uint64_t{format.nSamplesPerSec} * ms / 1000);
  return frames * format.nBlockAlign;
}

pa_buffer_attr RecordAttributes(size_t fragmentBytes) {
  pa_buffer_attr attributes;
  attributes.maxlength = kServerDefault;
  attributes.tlength = kServerDefault;
  attributes.prebuf = kServerDefault;
  attributes.minreq = kServerDefault;
  attributes.fragsize = static_cast<uint32_t>(fragmentBytes);
  return attributes;
}

}  // namespace

HRESULT PulseCaptureStream::Open(std::unique_ptr<PulseConnection> connection, const PulseSource& source,
                                 const WAVEFORMATEX& format, unsigned ringMs,
                                 std::unique_ptr<AudioCaptureStream>* stream) {
  if (!connection || stream == nullptr) return E_POINTER;
  stream->reset();
  auto opened = std::make_unique<PulseCaptureStream>(std::move(connection), source.description, format, ringMs);
  const HRESULT hr = opened->Connect(source.name);
  if (FAILED(hr)) return hr;
  *stream = std::move(opened);
  return S_OK;
}

PulseCaptureStream::PulseCaptureStream(std::unique_ptr<PulseConnection> connection, std::string sourceDescription,
                                       const WAVEFORMATEX& format, unsigned ringMs)
    : m_connection(std::move(connection)),
      m_sourceDescription(std::move(sourceDescription)),
      m_format(format),
      m_ringBytes(BytesFor(format, ringMs)),
      m_ring(m_ringBytes) {}

PulseCaptureStream::~PulseCaptureStream() {
  Stop();
  m_stream.reset();
}

HRESULT PulseCaptureStream::Connect(const std::string& sourceName) {
  PulseConnection::Lock lock(*m_connection);
  HRESULT hr = PulseStream::Create(*m_connection, "Recording", m_format, &m_stream);
  if (FAILED(hr)) return hr;
  pa_stream* stream = m_stream->Get();
  pa_stream_set_read_callback(stream, &PulseCaptureStream::OnRead, this);
  pa_stream_set_overflow_callback(stream, &PulseCaptureStream::OnOverflow, this);
  const pa_buffer_attr attributes = RecordAttributes(BytesFor(m_format, kMaxFragmentMs));
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
  if (pa_stream_connect_record(stream, sourceName.c_str(), &attributes, flags) < 0)
    return m_connection->Failure("Recording from \"" + m_sourceDescription + "\" could not start");
  return m_stream->AwaitReady("Recording from \"" + m_sourceDescription + "\" could not start");
}

HRESULT PulseCaptureStream::SetReadSize(size_t bytes) {
  const size_t readBytes = std::max<size_t>(m_format.nBlockAlign, bytes - bytes % m_format.nBlockAlign);
  const size_t fragmentBytes = std::min(readBytes, BytesFor(m_format, kMaxFragmentMs));
  PulseConnection::Lock lock(*m_connection);
  if (m_state != State::Idle) return VFW_E_WRONG_STATE;
  if (m_ring.Free() < 2 * readBytes) m_ring = ByteRing(std::max(m_ringBytes, 2 * readBytes));
  const pa_buffer_attr attributes = RecordAttributes(fragmentBytes);
  return m_stream->Run([&](pa_stream* stream, pa_stream_success_cb_t done,
                           void* outcome) { return pa_stream_set_buffer_attr(stream, &attributes, done, outcome); },
                       "The sound server refused a capture latency of " +
                           std::to_string(fragmentBytes * 1000 / m_format.nAvgBytesPerSec) + " ms");
}

size_t PulseCaptureStream::FragmentBytes() {
  PulseConnection::Lock lock(*m_connection);
  const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(m_stream->Get());
  return attributes != nullptr ? attributes->fragsize : 0;
}

HRESULT PulseCaptureStream::Cork(bool cork) {
  if (!m_stream->Good())
    return m_connection->Failure("The sound server stopped recording from \"" + m_sourceDescription + "\"");
  PulseStream::Forget(pa_stream_cork(m_stream->Get(), cork ? 1 : 0, nullptr, nullptr));
  return S_OK;
}

HRESULT PulseCaptureStream::Start() {
  PulseConnection::Lock lock(*m_connection);
  if (m_state != State::Idle && m_state != State::Paused) return S_OK;
  const HRESULT hr = Cork(false);
  if (SUCCEEDED(hr)) m_state = State::Running;
  return hr;
}

HRESULT PulseCaptureStream::Pause() {
  PulseConnection::Lock lock(*m_connection);
  if (m_state != State::Running) return S_OK;
  m_state = State::Paused;
  m_connection->Signal();
  return Cork(true);
}

HRESULT PulseCaptureStream::Stop() {
  PulseConnection::Lock lock(*m_connection);
  if (m_state == State::Stopped) return S_OK;
  const bool running = m_state == State::Running;
  m_state = State::Stopped;
  m_connection->Signal();
  // A stream the server ended needs no cork.
  if (running && m_stream->Good()) Cork(true);
  return S_OK;
}

HRESULT PulseCaptureStream::Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) {
  if (bytesRead == nullptr || endOfInput == nullptr) return E_POINTER;
  *bytesRead = 0;
  *endOfInput = false;
  const size_t wanted = buffer.size() - buffer.size() % m_format.nBlockAlign;
  if (wanted == 0) return E_INVALIDARG;
  PulseConnection::Lock lock(*m_connection);
  size_t filled = 0;
  for (;;) {
    // The server hands over whole frames, so the ring always holds whole frames.
    filled += m_ring.Read(buffer.data() + filled, wanted - filled);
    *bytesRead = filled;
    if (filled == wanted) return S_OK;
    if (m_state == State::Stopped) return filled > 0 ? S_OK : S_FALSE;
    if (m_state == State::Paused && filled > 0) return S_OK;
    if (!m_stream->Good()) {
      // What came before the server went away is handed out first.
      if (filled > 0) return S_OK;
      return m_connection->Failure("The sound server went away while recording from \"" + m_sourceDescription +
                                   "\"; the recording ends here");
    }
    m_connection->Wait();
  }
}

void PulseCaptureStream::OnRead(pa_stream* stream, size_t, void* userdata) {
  auto* self = static_cast<PulseCaptureStream*>(userdata);
  while (pa_stream_readable_size(stream) > 0) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
    if (data == nullptr)
      self->CountDropout();  // a gap in what the server captured
    else if (self->m_state == State::Running || self->m_state == State::Paused)
      self->Keep(data, bytes);
    pa_stream_drop(stream);
  }
}

void PulseCaptureStream::OnOverflow(pa_stream*, void* userdata) {
  static_cast<PulseCaptureStream*>(userdata)->CountDropout();
}

void PulseCaptureStream::Keep(const void* data, size_t bytes) {
  if (m_ring.Free() < bytes) {
    if (!m_overflowing) ++m_overruns;
    m_overflowing = true;
    return;
  }
  m_overflowing = false;
  m_ring.Write(static_cast<const uint8_t*>(data), bytes);
  m_connection->Signal();
}

void PulseCaptureStream::CountDropout() { ++m_overruns; }
