#pragma once
// The elapsed-time clock of a recording: a stopwatch on the monotonic high-resolution clock
// that pauses without losing its total. User-interface thread only.

#include <chrono>
#include <functional>

class Stopwatch {
 public:
  using Clock = std::chrono::steady_clock;

  Stopwatch();
  // For tests: a clock that is moved by hand.
  explicit Stopwatch(std::function<Clock::time_point()> now);

  // Clears the total and runs.
  void Start();
  // Runs on from the total kept.
  void Resume();
  // Adds the running time to the total and stops.
  void Pause();
  // The total in seconds, counting the running time so far; keeps running.
  double ReadSeconds() const;
  bool IsRunning() const { return m_running; }

 private:
  std::function<Clock::time_point()> m_now;
  Clock::duration m_total{};
  Clock::time_point m_startedAt{};
  bool m_running = false;
};
