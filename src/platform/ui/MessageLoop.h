#pragma once
// A window without pixels: a thread-safe queue of posted messages, drained by the thread that
// owns the loop (the CLI's main thread, or a test). Post may be called from any thread;
// GetMessage only from the owning thread. m_mutex guards m_queue and m_quit.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/ui/Window.h"

struct MSG {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class MessageLoop : public MessageTarget {
 public:
  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Waits up to `timeout` for the next message; false on time-out or after Quit.
  bool GetMessage(MSG& message, std::chrono::milliseconds timeout);
  // Makes every waiting and later GetMessage return false (safe from a signal-watching thread).
  void Quit();
  bool QuitRequested() const;

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_ready;
  std::deque<MSG> m_queue;
  bool m_quit = false;
};
