#pragma once
// What the Ogg splitter's reader thread and delivery threads share during one run (from a
// start or a seek until stop or the next seek).
//
// Threads: the control thread sets the positions and clears the flags while no thread runs.
// During the run every thread may set `quit` (control thread), `readerDone` (reader) or change
// what another waits for (a queue's pages, a stream's enabled flag); it then calls Notify, and
// each waiter waits on `changed` under `lock` for the state it needs, so no wake-up is lost.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/media/MediaSample.h"

struct OggSplitRun {
  static constexpr REFERENCE_TIME kNoStop = INT64_MAX;  // the stop when the duration is unknown

  std::mutex lock;
  std::condition_variable changed;
  bool quit = false;         // lock
  bool readerDone = false;   // lock: the reader has read all it will
  REFERENCE_TIME start = 0;  // seek position; sample times are relative to it
  std::atomic<REFERENCE_TIME> stop{0};

  bool Quitting() {
    std::lock_guard guard(lock);
    return quit;
  }
  void Notify() {
    std::lock_guard guard(lock);
    changed.notify_all();
  }
};
