#include "cli/InteractiveInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "engine/CommandIds.h"

namespace {

constexpr int kPollMs = 100;

}  // namespace

InteractiveInput::InteractiveInput(int fd, HWND window) : m_fd(fd), m_window(window) {
  m_terminal = ::isatty(fd) == 1 && ::tcgetattr(fd, &m_saved) == 0;
  if (m_terminal) {
    termios raw = m_saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &raw);
  }
  m_thread = std::thread(&InteractiveInput::ReadLoop, this);
}

InteractiveInput::~InteractiveInput() {
  m_stop = true;
  m_thread.join();
  if (m_terminal) ::tcsetattr(m_fd, TCSANOW, &m_saved);
}

void InteractiveInput::ReadLoop() {
  std::string line;
  while (!m_stop) {
    pollfd input{m_fd, POLLIN, 0};
    const int ready = ::poll(&input, 1, kPollMs);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    char buffer[256];
    const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    for (ssize_t i = 0; i < got; ++i) {
      if (m_terminal) {
        OnKey(buffer[i]);
      } else if (buffer[i] == '\n') {
        OnLine(line);
        line.clear();
      } else {
        line.push_back(buffer[i]);
      }
    }
  }
}

void InteractiveInput::OnKey(char key) {
  if (key == ' ' || key == '\n' || key == '\r') PostMessage(m_window, WM_COMMAND, ID_TOGGLE_PAUSE, 0);
  if (key == 'q' || key == 'Q') PostMessage(m_window, WM_COMMAND, ID_STOP, 0);
}

void InteractiveInput::OnLine(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  const size_t last = line.find_last_not_of(" \t\r");
  const std::string word = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
  if (word == "pause") PostMessage(m_window, WM_COMMAND, ID_PAUSE, 0);
  if (word == "resume") PostMessage(m_window, WM_COMMAND, ID_RECORD, 0);
  if (word == "stop") PostMessage(m_window, WM_COMMAND, ID_STOP, 0);
}
