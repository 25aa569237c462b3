#pragma once
// Window handles and posted messages. A window is anything that accepts posted messages: the
// Qt shell's main window, or a MessageLoop in the CLI and in tests. Posting never blocks and
// may happen from any thread; handling happens on the window's own thread.

#include <cstdint>

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;

constexpr UINT WM_USER = 1024;
// A menu, toolbar or accelerator command: wParam is the command id.
constexpr UINT WM_COMMAND = 0x0111;

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // Called from any thread; must queue the message and return at once.
  virtual void Post(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

using HWND = MessageTarget*;

// Queues the message on the window; false when there is no window.
bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
