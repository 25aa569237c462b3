#pragma once
// Paces a virtual device like hardware: N frames take N / rate seconds. Deadlines are
// absolute (start time + frames since start), so rounding never adds up to drift. Unpaced,
// nothing waits for time; pause and release still hold.
//
// Capture (WaitForFrames): while paused the clock stands still, and on resume the deadlines
// restart from that moment. Playback (QueueFrames, WaitUntilPlayed): the device holds one
// write beyond the one playing; a device that ran dry starts again from now.
//
// Threads: Start, Pause and SetReleased come from the control thread (or a flushing thread);
// the waiting calls run on the streaming thread. m_mutex guards every member below it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class VirtualDeviceClock {
 public:
  VirtualDeviceClock(uint32_t rateHz, bool paced);

  // Runs or resumes the clock; does nothing while it runs.
  void Start();
  void Pause();
  // While released, the waiting calls return false at once (stop, flush).
  void SetReleased(bool released);

  // Blocks until `frames` more frames have passed on the running clock and returns `frames`.
  // A pause or a release first cuts the wait short: it returns the frames that had passed by
  // then (paced clocks only: those are what a device would have captured); a pause before any
  // frame passed keeps waiting for the resume.
  uint64_t WaitForFrames(uint64_t frames);
  // Blocks until the frames queued before have played, then queues `frames`; false when released.
  bool QueueFrames(uint64_t frames);
  // Blocks until every queued frame has played; false when released.
  bool WaitUntilPlayed();
  // Frames queued that the clock has not played yet (0 unpaced).
  uint64_t UnplayedFrames();
  // Forgets the frames queued and not yet played, so the next write plays at once (flush).
  void DropQueued();

 private:
  using Clock = std::chrono::steady_clock;

  enum class Wait { Due, Released, Restarted, Paused };

  // Waits, with m_mutex held through `lock`, until the running clock reaches `frames` frames
  // since the origin; Restarted when a resume moved the origin meanwhile. With `endAtPause`, a
  // wait that began on the running clock ends (Paused) when the clock pauses.
  Wait WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t frames, bool endAtPause = false);
  Clock::time_point Deadline(uint64_t frames) const;
  // Frames the running clock has passed beyond m_framesSinceOrigin.
  uint64_t FramesPassed() const;
  // Frames the clock has passed since m_origin.
  uint64_t ElapsedFrames() const;

  const uint32_t m_rateHz;
  const bool m_paced;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_running = false;
  bool m_released = false;
  Clock::time_point m_origin;
  uint64_t m_framesSinceOrigin = 0;
  uint64_t m_framesAtPause = 0;  // captured before pauses and not yet handed out
};
