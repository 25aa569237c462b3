#pragma once
// While it lives, Ctrl-C (SIGINT), SIGTERM and SIGHUP (a closing terminal) do not end the
// process but set a flag the command's loop reads, so a recording or playback ends cleanly.
// Main thread only.

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // How many interrupts arrived since the guard was made.
  int Count() const;
};
