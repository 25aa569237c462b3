#pragma once
// Turns SIGTERM, SIGHUP and SIGINT (a `kill`, a logout, Ctrl-C in the starting terminal) into
// an ordinary close of the main window, so a running recording is stopped and saved first. The
// signal handler only writes a byte to a pipe; the window is closed on the user-interface
// thread when the byte arrives. One per process; the handlers are put back when it goes.

#include <QObject>
#include <functional>

class QSocketNotifier;

class SignalCloser : public QObject {
  Q_OBJECT

 public:
  explicit SignalCloser(std::function<void()> close, QObject* parent = nullptr);
  ~SignalCloser() override;
  SignalCloser(const SignalCloser&) = delete;
  SignalCloser& operator=(const SignalCloser&) = delete;

  bool Installed() const { return m_notifier != nullptr; }

 private:
  std::function<void()> m_close;
  QSocketNotifier* m_notifier = nullptr;
};
