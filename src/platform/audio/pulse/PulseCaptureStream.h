#pragma once
// A record stream on one of the sound server's sources. The server hands audio over in
// fragments of the reader's size (the capture latency), at most kMaxFragmentMs each, since
// what it holds back when the recording stops is lost. The connection's event thread keeps
// them in a ring until the reader takes them; a full ring drops the newest audio, and
// that, like a gap the server reports, counts as one dropout per episode. Pausing corks the
// stream; what arrives after that was captured before it and is kept.
//
// A server that goes away ends the stream: Read hands out what the ring still holds, then
// fails with a text that says so.
//
// Threads: Start, Pause, Stop and SetReadSize from the control thread; Read from the capture
// filter's thread; OnRead on the event thread. The connection's lock guards m_state, m_ring
// and m_overflowing; Read waits on the connection.

#include <atomic>
#include <memory>
#include <string>

#include "platform/audio/AudioCaptureStream.h"
#include "platform/audio/ByteRing.h"
#include "platform/audio/pulse/PulseConnection.h"
#include "platform/audio/pulse/PulseSource.h"
#include "platform/audio/pulse/PulseStream.h"

class PulseCaptureStream : public AudioCaptureStream {
 public:
  // Records from `source` over `connection` in `format`; the ring holds at least `ringMs` of
  // audio. A refusal gives its code and a readable text.
  static HRESULT Open(std::unique_ptr<PulseConnection> connection, const PulseSource& source,
                      const WAVEFORMATEX& format, unsigned ringMs, std::unique_ptr<AudioCaptureStream>* stream);

  PulseCaptureStream(std::unique_ptr<PulseConnection> connection, std::string sourceDescription,
                     const WAVEFORMATEX& format, unsigned ringMs);
  ~PulseCaptureStream() override;

  HRESULT Start() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) override;
  uint64_t OverrunCount() const override { return m_overruns; }
  // Fragments of `bytes` up to kMaxFragmentMs; the ring keeps room for at least two reads.
  HRESULT SetReadSize(size_t bytes) override;
  // What the server agreed to hand over at a time.
  size_t FragmentBytes();

  static constexpr unsigned kMaxFragmentMs = 50;

 private:
  enum class State { Idle, Running, Paused, Stopped };

  HRESULT Connect(const std::string& sourceName);
  HRESULT Cork(bool cork);
  static void OnRead(pa_stream* stream, size_t bytes, void* userdata);
  static void OnOverflow(pa_stream* stream, void* userdata);
  void Keep(const void* data, size_t bytes);
  void CountDropout();

  const std::unique_ptr<PulseConnection> m_connection;
  const std::string m_sourceDescription;
  const WAVEFORMATEX m_format;
  const size_t m_ringBytes;  // the least the ring holds
  std::unique_ptr<PulseStream> m_stream;
  State m_state = State::Idle;
  ByteRing m_ring;
  bool m_overflowing = false;
  std::atomic<uint64_t> m_overruns{0};
};
