#pragma once
// A program run in the background, for tests that signal it mid-way (a recording killed at a
// chosen moment). Its standard error comes through a pipe, so a test can wait for a text that
// marks the moment, such as corvox's "Recording to " once the recording graph runs. Test thread
// only.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

class BackgroundProcess {
 public:
  using Clock = std::chrono::steady_clock;

  BackgroundProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
  // A process still running is killed and reaped.
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  // Reads standard error until `text` appears in it; false when the process ended or `timeout`
  // passed first.
  bool WaitForError(const std::string& text, std::chrono::milliseconds timeout);
  // When WaitForError saw its text.
  Clock::time_point SeenAt() const { return m_seenAt; }
  void Signal(int signal);
  // Reads the rest of standard error and reaps the process; its exit code, or -1 when a signal
  // ended it (KilledBy says which).
  int Wait();
  int KilledBy() const { return m_killedBy; }
  const std::string& Err() const { return m_err; }

 private:
  // Appends what standard error has within `timeout`; false at its end.
  bool ReadSome(std::chrono::milliseconds timeout);

  pid_t m_pid = -1;
  int m_errFd = -1;
  std::string m_err;
  Clock::time_point m_seenAt;
  int m_exitCode = -1;
  int m_killedBy = 0;
};
