#include "support/PrivatePulseServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/Process.h"

PrivatePulseServer::PrivatePulseServer() {
  const std::string socket = m_folder.File("native");
  const std::string home = m_folder.Path();
  m_pid = fork();
  if (m_pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    const std::string protocol = "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
    const std::string log = "file:" + m_folder.File("log");
    execlp("pulseaudio", "pulseaudio", "--system=false", "-n", "--daemonize=no", "--exit-idle-time=-1",
           "--use-pid-file=no", "--log-target", log.c_str(), "--load", "module-null-sink", "--load", protocol.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  if (m_pid < 0) return;
  const std::string address = "unix:" + socket;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (RunProcess({"pactl", "--server", address, "info"}).exitCode == 0) {
      m_address = address;
      return;
    }
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

PrivatePulseServer::~PrivatePulseServer() { Kill(); }

void PrivatePulseServer::Kill() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}
