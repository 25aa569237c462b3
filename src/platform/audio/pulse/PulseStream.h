#pragma once
// One stream on a sound-server connection, in one PCM format (samples as in a wave format
// record, channels in WAVE order), owned from creation to disconnection.
//
// Threads: as PulseConnection; every call needs the connection's lock, but not the destructor,
// which takes it. The connection outlives the stream.

#include <pulse/stream.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/audio/pulse/PulseConnection.h"
#include "platform/media/WaveFormat.h"

class PulseStream {
 public:
  // VFW_E_INVALIDMEDIATYPE with a text for a format the server cannot take. State changes of
  // the stream wake the connection's waiters.
  static HRESULT Create(const PulseConnection& connection, const std::string& name, const WAVEFORMATEX& format,
                        std::unique_ptr<PulseStream>* stream);

  PulseStream(const PulseConnection& connection, pa_stream* stream);
  ~PulseStream();
  PulseStream(const PulseStream&) = delete;
  PulseStream& operator=(const PulseStream&) = delete;

  pa_stream* Get() const { return m_stream; }
  // After connecting: waits until the stream is ready; the failure says what could not be done.
  HRESULT AwaitReady(const std::string& what) const;
  // Neither failed nor ended (the server gone, the device removed).
  bool Good() const;
  // Starts a stream operation that reports success (`start(stream, callback, userdata)`) and
  // waits for it as PulseConnection::Await does.
  template <typename Start>
  HRESULT Run(Start start, const std::string& what, const std::function<bool()>& giveUp = {}) const {
    Outcome outcome{&m_connection, false};
    const HRESULT hr = m_connection.Await(start(m_stream, &Outcome::Done, &outcome), what, giveUp);
    if (hr != S_OK) return hr;
    return outcome.success ? S_OK : m_connection.Failure(what);
  }
  // Starts an operation whose end does not matter.
  static void Forget(pa_operation* operation);

 private:
  struct Outcome {
    const PulseConnection* connection;
    bool success = false;
    static void Done(pa_stream*, int success, void* userdata);
  };

  const PulseConnection& m_connection;
  pa_stream* const m_stream;
};
