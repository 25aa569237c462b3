#include "platform/audio/pulse/PulseStream.h"

#include <pulse/channelmap.h>

namespace {

void SignalOnStateChange(pa_stream*, void* userdata) { static_cast<const PulseConnection*>(userdata)->Signal(); }

bool SampleFormatFor(uint16_t bitsPerSample, pa_sample_format_t* format) {
  switch (bitsPerSample) {
    case 8:
      *format = PA_SAMPLE_U8;
      return true;
    case 16:
      *format = PA_SAMPLE_S16LE;
      return true;
    case 24:
      *format = PA_SAMPLE_S24LE;
      return true;
    case 32:
      *format = PA_SAMPLE_S32LE;
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT PulseStream::Create(const PulseConnection& connection, const std::string& name, const WAVEFORMATEX& format,
                            std::unique_ptr<PulseStream>* stream) {
  if (stream == nullptr) return E_POINTER;
  stream->reset();
  pa_sample_spec spec{};
  spec.rate = format.nSamplesPerSec;
  spec.channels = static_cast<uint8_t>(format.nChannels);
  pa_channel_map map{};
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels > PA_CHANNELS_MAX ||
      !SampleFormatFor(format.wBitsPerSample, &spec.format) || !pa_sample_spec_valid(&spec) ||
      pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_WAVEEX) == nullptr) {
    SetErrorInfo("The sound server cannot take " + std::to_string(format.nChannels) + " channels of " +
                 std::to_string(format.wBitsPerSample) + "-bit PCM at " + std::to_string(format.nSamplesPerSec) +
                 " Hz.");
    return VFW_E_INVALIDMEDIATYPE;
  }
  pa_stream* created = pa_stream_new(connection.Context(), name.c_str(), &spec, &map);
  if (created == nullptr) return connection.Failure("The sound server refused the stream \"" + name + "\"");
  *stream = std::make_unique<PulseStream>(connection, created);
  return S_OK;
}

PulseStream::PulseStream(const PulseConnection& connection, pa_stream* stream)
    : m_connection(connection), m_stream(stream) {
  pa_stream_set_state_callback(m_stream, &SignalOnStateChange, const_cast<PulseConnection*>(&m_connection));
}

PulseStream::~PulseStream() {
  PulseConnection::Lock lock(m_connection);
  pa_stream_set_state_callback(m_stream, nullptr, nullptr);
  pa_stream_set_read_callback(m_stream, nullptr, nullptr);
  pa_stream_set_write_callback(m_stream, nullptr, nullptr);
  pa_stream_set_overflow_callback(m_stream, nullptr, nullptr);
  if (pa_stream_get_state(m_stream) != PA_STREAM_UNCONNECTED) pa_stream_disconnect(m_stream);
  pa_stream_unref(m_stream);
}

HRESULT PulseStream::AwaitReady(const std::string& what) const {
  pa_stream_state_t state = pa_stream_get_state(m_stream);
  while (state == PA_STREAM_CREATING && m_connection.Connected()) {
    m_connection.Wait();
    state = pa_stream_get_state(m_stream);
  }
  return state == PA_STREAM_READY ? S_OK : m_connection.Failure(what);
}

bool PulseStream::Good() const { return PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)) && m_connection.Connected(); }

void PulseStream::Outcome::Done(pa_stream*, int success, void* userdata) {
  auto* outcome = static_cast<Outcome*>(userdata);
  outcome->success = success != 0;
  outcome->connection->Signal();
}

void PulseStream::Forget(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}
