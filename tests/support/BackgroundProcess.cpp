#include "support/BackgroundProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/Process.h"

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& env) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  m_pid = fork();
  if (m_pid == 0) ExecInChild(argv, env, -1, fds[1]);
  close(fds[1]);
  m_errFd = fds[0];
}

BackgroundProcess::~BackgroundProcess() {
  if (m_pid > 0) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  if (m_errFd >= 0) close(m_errFd);
}

bool BackgroundProcess::ReadSome(std::chrono::milliseconds timeout) {
  pollfd ready{m_errFd, POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) return true;
  char buffer[4096];
  const ssize_t n = read(m_errFd, buffer, sizeof buffer);
  if (n <= 0) return false;
  m_err.append(buffer, static_cast<size_t>(n));
  return true;
}

bool BackgroundProcess::WaitForError(const std::string& text, std::chrono::milliseconds timeout) {
  if (m_pid <= 0 || m_errFd < 0) return false;
  const Clock::time_point deadline = Clock::now() + timeout;
  while (m_err.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || !ReadSome(left)) return false;
  }
  m_seenAt = Clock::now();
  return true;
}

void BackgroundProcess::Signal(int signal) {
  if (m_pid > 0) kill(m_pid, signal);
}

int BackgroundProcess::Wait() {
  if (m_pid <= 0) return m_exitCode;
  while (m_errFd >= 0 && ReadSome(std::chrono::milliseconds(-1))) {
  }
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  m_killedBy = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return m_exitCode;
}
