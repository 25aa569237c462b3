#pragma once
// A playback stream on the sound server's default output. The server holds about
// kBufferMs of audio; a write waits for room, woken by the server's requests for more.
// Playing starts once that buffer is full, or at Drain.
//
// Threads: SetFlushing from the control or flushing thread; Write and Drain from the
// renderer's streaming thread; UnplayedFrames from any. The connection's lock guards every
// use of the stream and m_flushing; Write and Drain wait on the connection.

#include <memory>

#include "platform/audio/AudioPlaybackStream.h"
#include "platform/audio/pulse/PulseConnection.h"
#include "platform/audio/pulse/PulseStream.h"

class PulsePlaybackStream : public AudioPlaybackStream {
 public:
  // A refusal gives its code and a readable text.
  static HRESULT Open(std::unique_ptr<PulseConnection> connection, const WAVEFORMATEX& format,
                      std::unique_ptr<AudioPlaybackStream>* stream);

  PulsePlaybackStream(std::unique_ptr<PulseConnection> connection, const WAVEFORMATEX& format);
  ~PulsePlaybackStream() override;

  HRESULT SetFlushing(bool flushing) override;
  HRESULT Write(std::span<const uint8_t> data) override;
  HRESULT Drain() override;
  uint64_t UnplayedFrames() override;

  static constexpr unsigned kBufferMs = 250;

 private:
  HRESULT Connect();
  HRESULT Failed() const;
  static void OnWritable(pa_stream* stream, size_t bytes, void* userdata);

  const std::unique_ptr<PulseConnection> m_connection;
  const WAVEFORMATEX m_format;
  std::unique_ptr<PulseStream> m_stream;
  bool m_flushing = false;
};
