#include "filters/OggPageQueue.h"

#include <algorithm>
#include <new>

namespace {

// The next size up from `length`, in whole steps of `step`, always above it.
size_t RaisedSize(size_t length, size_t step) { return length / step * step + step; }

}  // namespace

bool COggPageQueue::Push(std::span<const uint8_t> header, std::span<const uint8_t> body, REFERENCE_TIME time,
                         int64_t offset) {
  std::lock_guard lock(m_lock);
  try {
    const bool growHeader = header.size() > m_headerBufferBytes;
    const bool growBody = body.size() > m_bodyBufferBytes;
    if (growHeader) m_headerBufferBytes = RaisedSize(header.size(), 128);
    if (growBody) m_bodyBufferBytes = RaisedSize(body.size(), 1024);
    if (growHeader || growBody) m_spare.clear();

    std::unique_ptr<OggPageNode> node;
    if (!m_spare.empty()) {
      node = std::move(m_spare.back());
      m_spare.pop_back();
    } else {
      node = std::make_unique<OggPageNode>();
      node->header.resize(m_headerBufferBytes);
      node->body.resize(m_bodyBufferBytes);
    }
    std::copy(header.begin(), header.end(), node->header.begin());
    std::copy(body.begin(), body.end(), node->body.begin());
    node->headerBytes = header.size();
    node->bodyBytes = body.size();
    node->time = time;
    node->offset = offset;
    m_pages.push_back(std::move(node));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool COggPageQueue::FrontTime(REFERENCE_TIME* time) const {
  std::lock_guard lock(m_lock);
  if (m_pages.empty()) return false;
  *time = m_pages.front()->time;
  return true;
}

std::unique_ptr<OggPageNode> COggPageQueue::Pop(bool* nowEmpty) {
  std::lock_guard lock(m_lock);
  std::unique_ptr<OggPageNode> node;
  if (!m_pages.empty()) {
    node = std::move(m_pages.front());
    m_pages.pop_front();
  }
  if (nowEmpty) *nowEmpty = m_pages.empty();
  return node;
}

void COggPageQueue::Recycle(std::unique_ptr<OggPageNode> node) {
  if (!node) return;
  std::lock_guard lock(m_lock);
  if (!Fits(*node)) return;
  try {
    m_spare.push_back(std::move(node));
  } catch (const std::bad_alloc&) {
    // The node is freed instead; the pool only saves allocations.
  }
}

void COggPageQueue::Clear() {
  std::lock_guard lock(m_lock);
  m_pages.clear();
}

bool COggPageQueue::Fits(const OggPageNode& node) const {
  return node.header.size() >= m_headerBufferBytes && node.body.size() >= m_bodyBufferBytes;
}

size_t COggPageQueue::Count() const {
  std::lock_guard lock(m_lock);
  return m_pages.size();
}

bool COggPageQueue::Empty() const {
  std::lock_guard lock(m_lock);
  return m_pages.empty();
}

size_t COggPageQueue::SpareCount() const {
  std::lock_guard lock(m_lock);
  return m_spare.size();
}

size_t COggPageQueue::HeaderBufferBytes() const {
  std::lock_guard lock(m_lock);
  return m_headerBufferBytes;
}

size_t COggPageQueue::BodyBufferBytes() const {
  std::lock_guard lock(m_lock);
  return m_bodyBufferBytes;
}
