#include "platform/ui/MessageLoop.h"

void MessageLoop::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard lock(m_mutex);
    m_queue.push_back({message, wParam, lParam});
  }
  m_ready.notify_one();
}

bool MessageLoop::GetMessage(MSG& message, std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  m_ready.wait_for(lock, timeout, [this] { return m_quit || !m_queue.empty(); });
  if (m_quit || m_queue.empty()) return false;
  message = m_queue.front();
  m_queue.pop_front();
  return true;
}

void MessageLoop::Quit() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_ready.notify_all();
}

bool MessageLoop::QuitRequested() const {
  std::lock_guard lock(m_mutex);
  return m_quit;
}
