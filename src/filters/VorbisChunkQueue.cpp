#include "filters/VorbisChunkQueue.h"

#include <exception>

VorbisChunkQueue::~VorbisChunkQueue() { Stop(); }

void VorbisChunkQueue::Start() {
  if (m_worker.joinable()) return;
  {
    std::lock_guard lock(m_lock);
    m_stopping = false;
  }
  try {
    m_worker = std::thread([this] { Work(); });
  } catch (const std::exception&) {
    // Take decodes everything on the streaming thread instead.
  }
}

void VorbisChunkQueue::Stop() {
  Discard();
  if (!m_worker.joinable()) return;
  {
    std::lock_guard lock(m_lock);
    m_stopping = true;
  }
  m_changed.notify_all();
  m_worker.join();
}

void VorbisChunkQueue::Discard() {
  std::unique_lock lock(m_lock);
  m_changed.wait(lock, [this] {
    for (const Entry& entry : m_entries)
      if (entry.state == State::Decoding) return false;
    return true;
  });
  m_entries.clear();
}

void VorbisChunkQueue::Submit(std::unique_ptr<VorbisChunk> chunk) {
  {
    std::lock_guard lock(m_lock);
    m_entries.push_back({std::move(chunk), State::Queued});
  }
  m_changed.notify_all();
}

size_t VorbisChunkQueue::Count() const {
  std::lock_guard lock(m_lock);
  return m_entries.size();
}

std::unique_ptr<VorbisChunk> VorbisChunkQueue::Take(VorbisChunkDecoder& helper, bool wait) {
  std::unique_lock lock(m_lock);
  for (;;) {
    if (m_entries.empty()) return nullptr;
    if (m_entries.front().state == State::Done) {
      std::unique_ptr<VorbisChunk> chunk = std::move(m_entries.front().chunk);
      m_entries.pop_front();
      return chunk;
    }
    if (!wait) return nullptr;
    if (Entry* entry = FirstQueued()) {
      DecodeEntry(lock, *entry, helper);
      continue;
    }
    m_changed.wait(lock);
  }
}

void VorbisChunkQueue::Work() {
  std::unique_lock lock(m_lock);
  for (;;) {
    Entry* entry = nullptr;
    m_changed.wait(lock, [&] { return m_stopping || (entry = FirstQueued()) != nullptr; });
    if (m_stopping) return;
    DecodeEntry(lock, *entry, m_workerDecoder);
  }
}

void VorbisChunkQueue::DecodeEntry(std::unique_lock<std::mutex>& lock, Entry& entry, VorbisChunkDecoder& decoder) {
  entry.state = State::Decoding;
  lock.unlock();
  decoder.Decode(*entry.chunk);
  lock.lock();
  entry.state = State::Done;
  m_changed.notify_all();
}

VorbisChunkQueue::Entry* VorbisChunkQueue::FirstQueued() {
  for (Entry& entry : m_entries)
    if (entry.state == State::Queued) return &entry;
  return nullptr;
}
