#include "filters/OggCommentList.h"

#include <strings.h>

#include <cstring>

#include "platform/media/WaveFormat.h"

namespace {

constexpr uint8_t kCommentPacketType = 3;
constexpr char kSignature[] = "vorbis";
constexpr size_t kSignatureBytes = 6;

// Reads a length-prefixed string at `*at`, moving past it.
bool ReadString(std::span<const uint8_t> packet, size_t* at, std::string* text) {
  if (packet.size() - *at < 4) return false;
  const uint32_t length = GetLe32(packet.data() + *at);
  *at += 4;
  if (packet.size() - *at < length) return false;
  text->assign(reinterpret_cast<const char*>(packet.data() + *at), length);
  *at += length;
  return true;
}

}  // namespace

bool OggCommentList::Parse(std::span<const uint8_t> packet) {
  m_entries.clear();
  if (packet.size() < 1 + kSignatureBytes || packet[0] != kCommentPacketType ||
      std::memcmp(packet.data() + 1, kSignature, kSignatureBytes) != 0)
    return false;
  size_t at = 1 + kSignatureBytes;
  std::string vendor;
  if (!ReadString(packet, &at, &vendor) || packet.size() - at < 4) return false;
  const uint32_t count = GetLe32(packet.data() + at);
  at += 4;
  // Each entry takes at least its four length bytes, so a count beyond that is a lie.
  if (count > (packet.size() - at) / 4) return false;
  std::vector<std::string> entries(count);
  for (std::string& entry : entries)
    if (!ReadString(packet, &at, &entry)) return false;
  m_entries = std::move(entries);
  return true;
}

void OggCommentList::Add(const std::string& key, const std::string& value) { m_entries.push_back(key + "=" + value); }

std::optional<std::string> OggCommentList::Query(const std::string& key) const {
  for (const std::string& entry : m_entries) {
    if (entry.size() > key.size() && entry[key.size()] == '=' &&
        strncasecmp(entry.c_str(), key.c_str(), key.size()) == 0)
      return entry.substr(key.size() + 1);
  }
  return std::nullopt;
}
