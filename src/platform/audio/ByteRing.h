#pragma once
// A fixed-size ring of bytes: captured audio waiting for its reader. Not thread-safe; the
// owner guards it.

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteRing {
 public:
  explicit ByteRing(size_t capacity) : m_bytes(capacity) {}

  size_t Size() const { return m_size; }
  size_t Free() const { return m_bytes.size() - m_size; }

  // Appends all of `data`; the caller has checked Free().
  void Write(const uint8_t* data, size_t bytes);
  // Moves up to `bytes` bytes out; returns how many.
  size_t Read(uint8_t* data, size_t bytes);

 private:
  std::vector<uint8_t> m_bytes;
  size_t m_start = 0;
  size_t m_size = 0;
};
