#include "platform/audio/virtual/VirtualDeviceClock.h"

#include <algorithm>

VirtualDeviceClock::VirtualDeviceClock(uint32_t rateHz, bool paced) : m_rateHz(rateHz), m_paced(paced) {}

void VirtualDeviceClock::Start() {
  {
    std::lock_guard lock(m_mutex);
    if (m_running) return;
    m_running = true;
    m_origin = Clock::now();
    m_framesSinceOrigin = 0;
  }
  m_changed.notify_all();
}

void VirtualDeviceClock::Pause() {
  {
    std::lock_guard lock(m_mutex);
    if (m_running && m_paced) m_framesAtPause += FramesPassed();
    m_running = false;
  }
  m_changed.notify_all();
}

void VirtualDeviceClock::SetReleased(bool released) {
  {
    std::lock_guard lock(m_mutex);
    m_released = released;
  }
  m_changed.notify_all();
}

uint64_t VirtualDeviceClock::WaitForFrames(uint64_t frames) {
  std::unique_lock lock(m_mutex);
  for (;;) {
    // Frames captured before a pause come first, even when the read began after it.
    if (m_framesAtPause > 0) {
      const uint64_t captured = std::min(frames, m_framesAtPause);
      m_framesAtPause -= captured;
      return captured;
    }
    switch (WaitUntil(lock, m_framesSinceOrigin + frames, true)) {
      case Wait::Released:
        return m_running && m_paced ? std::min(frames, FramesPassed()) : 0;
      case Wait::Paused:
        continue;  // hand out what was captured before the pause, or wait for the resume
      case Wait::Restarted:
        continue;  // paused and resumed: count again from the new origin
      case Wait::Due:
        m_framesSinceOrigin += frames;
        return frames;
    }
  }
}

uint64_t VirtualDeviceClock::FramesPassed() const {
  const uint64_t total = ElapsedFrames();
  return total > m_framesSinceOrigin ? total - m_framesSinceOrigin : 0;
}

uint64_t VirtualDeviceClock::ElapsedFrames() const {
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - m_origin).count();
  const uint64_t nanoseconds = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0));
  // Whole seconds and the rest apart, so long runs at high rates cannot overflow.
  return nanoseconds / 1'000'000'000ull * m_rateHz + nanoseconds % 1'000'000'000ull * m_rateHz / 1'000'000'000ull;
}

bool VirtualDeviceClock::QueueFrames(uint64_t frames) {
  std::unique_lock lock(m_mutex);
  if (m_running && m_paced && Clock::now() >= Deadline(m_framesSinceOrigin)) {
    m_origin = Clock::now();
    m_framesSinceOrigin = 0;
  }
  if (WaitUntil(lock, m_framesSinceOrigin) == Wait::Released) return false;
  m_framesSinceOrigin += frames;
  return true;
}

bool VirtualDeviceClock::WaitUntilPlayed() {
  std::unique_lock lock(m_mutex);
  return WaitUntil(lock, m_framesSinceOrigin) != Wait::Released;
}

uint64_t VirtualDeviceClock::UnplayedFrames() {
  std::lock_guard lock(m_mutex);
  if (!m_paced || !m_running) return 0;
  const uint64_t elapsed = ElapsedFrames();
  return m_framesSinceOrigin > elapsed ? m_framesSinceOrigin - elapsed : 0;
}

void VirtualDeviceClock::DropQueued() {
  {
    std::lock_guard lock(m_mutex);
    if (!m_paced || !m_running) return;
    m_origin = Clock::now();
    m_framesSinceOrigin = 0;
  }
  m_changed.notify_all();
}

VirtualDeviceClock::Wait VirtualDeviceClock::WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t frames,
                                                       bool endAtPause) {
  const Clock::time_point origin = m_origin;
  const bool startedRunning = m_running;
  for (;;) {
    if (m_released) return Wait::Released;
    if (m_origin != origin) return Wait::Restarted;
    if (!m_running) {
      if (endAtPause && startedRunning) return Wait::Paused;
      m_changed.wait(lock);
      continue;
    }
    if (!m_paced) return Wait::Due;
    const Clock::time_point deadline = Deadline(frames);
    if (Clock::now() >= deadline) return Wait::Due;
    m_changed.wait_until(lock, deadline);
  }
}

VirtualDeviceClock::Clock::time_point VirtualDeviceClock::Deadline(uint64_t frames) const {
  const uint64_t seconds = frames / m_rateHz;
  const uint64_t rest = frames % m_rateHz;
  return m_origin + std::chrono::seconds(seconds) +
         std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(rest * 1'000'000'000ull / m_rateHz));
}
