#pragma once
// A locked first-in first-out queue of finished Ogg pages, each with the time it sorts by.
// Pages are copied in once; their nodes and buffers are kept in a pool and reused, so a steady
// stream of pages allocates nothing. Buffers start at 128 header and 5120 body bytes and grow
// (in steps of 128 and 1024) when a longer page arrives; growing discards the pool, whose nodes
// are now too small, and nodes handed back with smaller buffers are freed instead of pooled.
//
// Threads: any thread may call any method; m_lock guards every member.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/media/MediaSample.h"

struct OggPageNode {
  std::vector<uint8_t> header;  // buffer; the page's header is the first headerBytes
  std::vector<uint8_t> body;    // buffer; the page's body is the first bodyBytes
  size_t headerBytes = 0;
  size_t bodyBytes = 0;
  REFERENCE_TIME time = 0;
  int64_t offset = -1;  // where a page read from a file began in it

  std::span<const uint8_t> Header() const { return {header.data(), headerBytes}; }
  std::span<const uint8_t> Body() const { return {body.data(), bodyBytes}; }
};

class COggPageQueue {
 public:
  static constexpr size_t kInitialHeaderBytes = 128;
  static constexpr size_t kInitialBodyBytes = 5120;

  // Appends a copy of the page (read from a file at `offset`); false when memory for it cannot
  // be had.
  bool Push(std::span<const uint8_t> header, std::span<const uint8_t> body, REFERENCE_TIME time,
            int64_t offset = -1);
  // The time of the first page; false when the queue is empty.
  bool FrontTime(REFERENCE_TIME* time) const;
  // Removes and returns the first page (null when empty); *nowEmpty tells whether it was the last.
  std::unique_ptr<OggPageNode> Pop(bool* nowEmpty);
  // Gives a node taken with Pop back for reuse.
  void Recycle(std::unique_ptr<OggPageNode> node);
  // Drops every queued page.
  void Clear();

  size_t Count() const;
  bool Empty() const;
  size_t SpareCount() const;
  size_t HeaderBufferBytes() const;
  size_t BodyBufferBytes() const;

 private:
  // Call with m_lock held.
  bool Fits(const OggPageNode& node) const;

  mutable std::mutex m_lock;
  std::deque<std::unique_ptr<OggPageNode>> m_pages;
  std::vector<std::unique_ptr<OggPageNode>> m_spare;
  size_t m_headerBufferBytes = kInitialHeaderBytes;
  size_t m_bodyBufferBytes = kInitialBodyBytes;
};
