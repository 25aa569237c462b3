#include "platform/audio/pulse/PulseConnection.h"

#include <pulse/error.h>
#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include "platform/audio/pulse/PulseError.h"

namespace {

constexpr const char* kClientName = "Vantro Audio Recorder";

void SignalOnStateChange(pa_context*, void* userdata) { static_cast<const PulseConnection*>(userdata)->Signal(); }

struct ConnectTimer {
  const PulseConnection* connection;
  bool expired = false;
  static void Expire(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    auto* timer = static_cast<ConnectTimer*>(userdata);
    timer->expired = true;
    timer->connection->Signal();
  }
};

}  // namespace

HRESULT PulseConnection::Open(unsigned timeoutMs, std::unique_ptr<PulseConnection>* connection) {
  if (connection == nullptr) return E_POINTER;
  connection->reset();
  std::unique_ptr<PulseConnection> opened(new PulseConnection());
  const HRESULT hr = opened->Connect(timeoutMs);
  if (FAILED(hr)) return hr;
  *connection = std::move(opened);
  return S_OK;
}

PulseConnection::PulseConnection() : m_loop(pa_threaded_mainloop_new()) {}

PulseConnection::~PulseConnection() {
  if (m_loop == nullptr) return;
  pa_threaded_mainloop_stop(m_loop);
  if (m_context != nullptr) {
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
  }
  pa_threaded_mainloop_free(m_loop);
}

HRESULT PulseConnection::Connect(unsigned timeoutMs) {
  if (m_loop == nullptr) {
    SetErrorInfo("The sound server's event loop could not be created.");
    return E_OUTOFMEMORY;
  }
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
  m_context = pa_context_new(api, kClientName);
  if (m_context == nullptr) {
    SetErrorInfo("The sound server's connection could not be created.");
    return E_OUTOFMEMORY;
  }
  pa_context_set_state_callback(m_context, &SignalOnStateChange, this);
  if (pa_threaded_mainloop_start(m_loop) < 0) {
    SetErrorInfo("The sound server's event thread could not be started.");
    return E_OUTOFMEMORY;
  }
  Lock lock(*this);
  if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return Failure("No sound server could be reached");
  ConnectTimer timer{this, false};
  pa_time_event* expiry = pa_context_rttime_new(m_context, pa_rtclock_now() + pa_usec_t{timeoutMs} * PA_USEC_PER_MSEC,
                                                &ConnectTimer::Expire, &timer);
  pa_context_state_t state = pa_context_get_state(m_context);
  while (state != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state) && !timer.expired) {
    Wait();
    state = pa_context_get_state(m_context);
  }
  if (expiry != nullptr) api->time_free(expiry);
  if (state == PA_CONTEXT_READY) return S_OK;
  if (timer.expired && PA_CONTEXT_IS_GOOD(state))
    return PulseFailure(PA_ERR_TIMEOUT, "The sound server did not answer");
  return Failure("No sound server could be reached");
}

bool PulseConnection::Connected() const { return pa_context_get_state(m_context) == PA_CONTEXT_READY; }

void PulseConnection::Wait() const { pa_threaded_mainloop_wait(m_loop); }

void PulseConnection::Signal() const { pa_threaded_mainloop_signal(m_loop, 0); }

HRESULT PulseConnection::Await(pa_operation* operation, const std::string& what,
                               const std::function<bool()>& giveUp) const {
  if (operation == nullptr) return Failure(what);
  bool givenUp = false;
  while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING && Connected() && !(givenUp = giveUp && giveUp()))
    Wait();
  const pa_operation_state_t state = pa_operation_get_state(operation);
  if (state == PA_OPERATION_RUNNING) pa_operation_cancel(operation);
  pa_operation_unref(operation);
  if (state == PA_OPERATION_DONE) return S_OK;
  return givenUp ? S_FALSE : Failure(what);
}

HRESULT PulseConnection::Failure(const std::string& what) const {
  const int error = m_context != nullptr ? pa_context_errno(m_context) : PA_ERR_INTERNAL;
  return PulseFailure(error == PA_OK ? PA_ERR_UNKNOWN : error, what);
}

void PulseConnection::Outcome::Done(pa_context*, int success, void* userdata) {
  auto* outcome = static_cast<Outcome*>(userdata);
  outcome->success = success != 0;
  outcome->connection->Signal();
}
