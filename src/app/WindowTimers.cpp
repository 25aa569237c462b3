#include "app/WindowTimers.h"

#include <QObject>
#include <QTimerEvent>

WindowTimers::~WindowTimers() {
  for (const auto& [id, running] : m_timers) m_owner.killTimer(running.qtId);
}

void WindowTimers::Set(int id, int periodMs) {
  Kill(id);
  const int qtId = m_owner.startTimer(periodMs);
  if (qtId != 0) m_timers[id] = {qtId, periodMs};
}

void WindowTimers::Kill(int id) {
  const auto found = m_timers.find(id);
  if (found == m_timers.end()) return;
  m_owner.killTimer(found->second.qtId);
  m_timers.erase(found);
}

int WindowTimers::PeriodMs(int id) const {
  const auto found = m_timers.find(id);
  return found == m_timers.end() ? 0 : found->second.periodMs;
}

int WindowTimers::IdOf(const QTimerEvent& event) const {
  for (const auto& [id, running] : m_timers)
    if (running.qtId == event.timerId()) return id;
  return 0;
}
