#include "app/Stopwatch.h"

#include <utility>

Stopwatch::Stopwatch() : Stopwatch(&Clock::now) {}

Stopwatch::Stopwatch(std::function<Clock::time_point()> now) : m_now(std::move(now)) {}

void Stopwatch::Start() {
  m_total = {};
  m_startedAt = m_now();
  m_running = true;
}

void Stopwatch::Resume() {
  if (m_running) return;
  m_startedAt = m_now();
  m_running = true;
}

void Stopwatch::Pause() {
  if (!m_running) return;
  m_total += m_now() - m_startedAt;
  m_running = false;
}

double Stopwatch::ReadSeconds() const {
  const Clock::duration total = m_running ? m_total + (m_now() - m_startedAt) : m_total;
  return std::chrono::duration<double>(total).count();
}
