#pragma once
// One connection to the sound server (PulseAudio, or PipeWire through its PulseAudio
// interface) with an event thread of its own (libpulse's threaded main loop). Every backend
// operation, stream and mixer opens its own, so each owns its server objects outright and a
// server that goes away fails them one by one, each with its own text.
//
// Threads: the event thread runs libpulse's callbacks with the connection's lock held. Any
// other thread takes the lock (Lock) around every libpulse call on this connection's objects
// and around every member those callbacks touch; Wait releases it while waiting. The lock is
// recursive. Destroying the connection stops the event thread before it frees anything.

#include <pulse/context.h>
#include <pulse/thread-mainloop.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/media/HResult.h"

class PulseConnection {
 public:
  // Connects to the server the environment names (PULSE_SERVER, else the user's own), never
  // starting one, and gives up after `timeoutMs`. A failure gives its code and a readable text.
  static HRESULT Open(unsigned timeoutMs, std::unique_ptr<PulseConnection>* connection);

  PulseConnection(const PulseConnection&) = delete;
  PulseConnection& operator=(const PulseConnection&) = delete;
  ~PulseConnection();

  class Lock {
   public:
    explicit Lock(const PulseConnection& connection) : m_loop(connection.m_loop) { pa_threaded_mainloop_lock(m_loop); }
    ~Lock() { pa_threaded_mainloop_unlock(m_loop); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    pa_threaded_mainloop* const m_loop;
  };

  pa_context* Context() const { return m_context; }

  // The rest need the lock.
  bool Connected() const;
  // Waits until a callback signals. Never on the event thread.
  void Wait() const;
  // Wakes every Wait; from callbacks.
  void Signal() const;
  // Waits until `operation` (taken over) has ended or the connection failed; the failure
  // says what could not be done. When `giveUp` turns true (checked at each wake-up), the
  // operation is cancelled and the result is S_FALSE.
  HRESULT Await(pa_operation* operation, const std::string& what, const std::function<bool()>& giveUp = {}) const;
  // Starts an operation that reports success through `callback`/`userdata` and waits for it.
  template <typename Start>
  HRESULT Run(Start start, const std::string& what) const {
    Outcome outcome{this, false};
    const HRESULT hr = Await(start(&Outcome::Done, &outcome), what);
    if (hr != S_OK) return hr;
    return outcome.success ? S_OK : Failure(what);
  }
  // The connection's last error as a code, with "<what>: <the server's text>." as the text.
  HRESULT Failure(const std::string& what) const;

 private:
  struct Outcome {
    const PulseConnection* connection;
    bool success = false;
    static void Done(pa_context*, int success, void* userdata);
  };

  PulseConnection();
  HRESULT Connect(unsigned timeoutMs);

  pa_threaded_mainloop* const m_loop;
  pa_context* m_context = nullptr;
};
