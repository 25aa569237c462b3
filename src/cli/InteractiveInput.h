#pragma once
// Commands from standard input while a recording runs. On a terminal, keys without Enter (the
// terminal is put into non-canonical mode without echo and restored afterwards): Space or
// Enter pauses and resumes, q stops. Otherwise lines, so scripts can drive it: "pause",
// "resume" and "stop". Each command is posted to the window as WM_COMMAND (ID_PAUSE, ID_RECORD,
// ID_STOP, or ID_TOGGLE_PAUSE for the key that does both).
//
// Threads: a reader thread of its own reads the input and only posts; the constructor and
// destructor run on the main thread. m_stop is the only shared state.

#include <termios.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/ui/Window.h"

// Pause when recording, resume when paused: the receiver decides which.
constexpr UINT ID_TOGGLE_PAUSE = 0xFF01;

class InteractiveInput {
 public:
  InteractiveInput(int fd, HWND window);
  ~InteractiveInput();
  InteractiveInput(const InteractiveInput&) = delete;
  InteractiveInput& operator=(const InteractiveInput&) = delete;

  bool IsTerminal() const { return m_terminal; }

 private:
  void ReadLoop();
  void OnKey(char key);
  void OnLine(const std::string& line);

  const int m_fd;
  const HWND m_window;
  bool m_terminal = false;
  termios m_saved{};
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};
