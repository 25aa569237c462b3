#include "platform/audio/ByteRing.h"

#include <algorithm>
#include <cstring>

void ByteRing::Write(const uint8_t* data, size_t bytes) {
  const size_t capacity = m_bytes.size();
  const size_t end = (m_start + m_size) % capacity;
  const size_t first = std::min(bytes, capacity - end);
  std::memcpy(m_bytes.data() + end, data, first);
  std::memcpy(m_bytes.data(), data + first, bytes - first);
  m_size += bytes;
}

size_t ByteRing::Read(uint8_t* data, size_t bytes) {
  bytes = std::min(bytes, m_size);
  const size_t capacity = m_bytes.size();
  const size_t first = std::min(bytes, capacity - m_start);
  std::memcpy(data, m_bytes.data() + m_start, first);
  std::memcpy(data + first, m_bytes.data(), bytes - first);
  m_start = (m_start + bytes) % capacity;
  m_size -= bytes;
  return bytes;
}
