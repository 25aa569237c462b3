#pragma once
// Decodes chunks while the streaming thread gathers the next ones: a worker thread, owned
// here, takes queued chunks in order and decodes them with its own library decoder; the
// streaming thread takes them back in the order it submitted them and, while the oldest is not
// ready, decodes queued ones itself with its decoder, so both cores decode.
//
// Threads: Submit, Count and Take run on the streaming thread; Start, Stop and Discard on the
// thread that changes the state or flushes, while no Take runs (the decoder filter's packet
// lock guarantees it). The worker runs Work. m_lock guards m_entries, m_stopping and every
// entry's state; a chunk belongs to the thread that marked it Decoding until it marks it Done.
// m_workerDecoder is the worker's alone.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "filters/VorbisChunk.h"
#include "filters/VorbisChunkDecoder.h"

class VorbisChunkQueue {
 public:
  VorbisChunkQueue() = default;
  ~VorbisChunkQueue();
  VorbisChunkQueue(const VorbisChunkQueue&) = delete;
  VorbisChunkQueue& operator=(const VorbisChunkQueue&) = delete;

  // Launches the worker unless it runs. When the system refuses the thread, the streaming
  // thread decodes every chunk itself in Take.
  void Start();
  // Discards every chunk and ends the worker.
  void Stop();
  // Drops every chunk, waiting for one the worker is decoding.
  void Discard();

  // Throws std::bad_alloc.
  void Submit(std::unique_ptr<VorbisChunk> chunk);
  // Chunks submitted and not taken back.
  size_t Count() const;
  // The oldest chunk when it is decoded; nothing when none is queued, or when it is not ready
  // and `wait` is false. With `wait`, decodes queued chunks with `helper` until it is ready.
  std::unique_ptr<VorbisChunk> Take(VorbisChunkDecoder& helper, bool wait);

 private:
  enum class State { Queued, Decoding, Done };
  struct Entry {
    std::unique_ptr<VorbisChunk> chunk;
    State state = State::Queued;
  };

  void Work();
  // The oldest queued entry; nullptr when none is. Called with m_lock held.
  Entry* FirstQueued();
  // Decodes the entry with m_lock (held in `lock`) let go meanwhile.
  void DecodeEntry(std::unique_lock<std::mutex>& lock, Entry& entry, VorbisChunkDecoder& decoder);

  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  // Entries keep their addresses while others are added at the back or taken from the front.
  std::deque<Entry> m_entries;
  bool m_stopping = false;
  VorbisChunkDecoder m_workerDecoder;
  std::thread m_worker;
};
