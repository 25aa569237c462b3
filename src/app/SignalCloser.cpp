#include "app/SignalCloser.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <utility>

namespace {

// Ctrl-C in the terminal that started the window ends the recording as a close does.
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

int g_pipe[2] = {-1, -1};
struct sigaction g_previous[std::size(kSignals)];

void OnSignal(int) {
  const char byte = 1;
  const int savedErrno = errno;
  [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

SignalCloser::SignalCloser(std::function<void()> close, QObject* parent) : QObject(parent), m_close(std::move(close)) {
  if (g_pipe[0] != -1 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    m_close();
  });
}

SignalCloser::~SignalCloser() {
  if (!m_notifier) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
  delete m_notifier;
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}
