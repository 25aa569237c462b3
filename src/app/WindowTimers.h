#pragma once
// Window timers with the program's fixed ids on a Qt object: setting a running timer again
// restarts it with the new period, as the platform's timers do. User-interface thread only.

#include <map>

class QObject;
class QTimerEvent;

class WindowTimers {
 public:
  explicit WindowTimers(QObject& owner) : m_owner(owner) {}
  ~WindowTimers();
  WindowTimers(const WindowTimers&) = delete;
  WindowTimers& operator=(const WindowTimers&) = delete;

  void Set(int id, int periodMs);
  void Kill(int id);
  bool IsRunning(int id) const { return m_timers.count(id) != 0; }
  // The period of a running timer, 0 for one that is not running.
  int PeriodMs(int id) const;
  // The fixed id of the owner's timer event, or 0 when the event is not one of these timers.
  int IdOf(const QTimerEvent& event) const;

 private:
  struct Running {
    int qtId;
    int periodMs;
  };
  QObject& m_owner;
  std::map<int, Running> m_timers;
};
