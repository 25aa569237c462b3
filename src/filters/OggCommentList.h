#pragma once
// The "KEY=value" comments of an Ogg stream's comment packet (0x03 "vorbis", vendor, list),
// the layout Vorbis streams and the multiplexer's generic streams share. Read with bounds
// checks throughout, since the packet comes from a file. Used by one thread at a time.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class OggCommentList {
 public:
  // Replaces the list with the packet's; false (and an empty list) when it is no comment
  // packet or is cut short.
  bool Parse(std::span<const uint8_t> packet);
  void Add(const std::string& key, const std::string& value);

  // The value of the first comment whose key matches, ignoring case.
  std::optional<std::string> Query(const std::string& key) const;
  const std::vector<std::string>& Entries() const { return m_entries; }

 private:
  std::vector<std::string> m_entries;  // "KEY=value"
};
