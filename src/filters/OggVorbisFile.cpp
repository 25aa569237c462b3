#include "filters/OggVorbisFile.h"

#include <ogg/ogg.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr long kReadBytes = 64 * 1024;
constexpr long kIdentificationBytes = 30;

class SyncState {
 public:
  SyncState() { ogg_sync_init(&m_sync); }
  ~SyncState() { ogg_sync_clear(&m_sync); }
  SyncState(const SyncState&) = delete;
  SyncState& operator=(const SyncState&) = delete;
  ogg_sync_state* operator->() { return &m_sync; }
  ogg_sync_state* get() { return &m_sync; }

 private:
  ogg_sync_state m_sync;
};

HRESULT Invalid(const std::string& path, const std::string& problem) {
  SetErrorInfo(path + " is not an Ogg Vorbis file: " + problem);
  return VFW_E_INVALID_FILE_FORMAT;
}

uint32_t Le32(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

// The first packet of `page`, which opens the stream, as a Vorbis identification header.
bool ReadIdentification(ogg_page* page, OggVorbisFileSummary* summary) {
  ogg_stream_state stream;
  ogg_stream_init(&stream, ogg_page_serialno(page));
  ogg_packet packet;
  bool ok = ogg_stream_pagein(&stream, page) == 0 && ogg_stream_packetout(&stream, &packet) == 1 &&
            packet.bytes >= kIdentificationBytes;
  if (ok) {
    const unsigned char* p = packet.packet;
    ok = p[0] == 1 && std::memcmp(p + 1, "vorbis", 6) == 0 && Le32(p + 7) == 0 && p[11] != 0 && Le32(p + 12) != 0 &&
         (p[29] & 1) == 1;
    if (ok) {
      summary->channels = p[11];
      summary->rateHz = Le32(p + 12);
    }
  }
  ogg_stream_clear(&stream);
  return ok;
}

}  // namespace

HRESULT ReadOggVorbisFile(std::FILE* file, const std::string& path, OggVorbisFileSummary* summary) {
  *summary = OggVorbisFileSummary{};
  SyncState sync;
  uint64_t offset = 0;  // of the next page
  bool ended = false;
  for (;;) {
    ogg_page page;
    const int found = ogg_sync_pageout(sync.get(), &page);
    if (found < 0) {
      return Invalid(path, offset == 0 ? "it does not start with an Ogg page."
                                       : "the page at byte " + std::to_string(offset) + " is damaged.");
    }
    if (found == 0) {
      char* buffer = ogg_sync_buffer(sync.get(), kReadBytes);
      const size_t got = buffer ? std::fread(buffer, 1, kReadBytes, file) : 0;
      if (std::ferror(file)) {
        SetErrorInfo("Cannot read " + path + ": " + std::strerror(errno));
        return E_FAIL;
      }
      if (got == 0) break;
      ogg_sync_wrote(sync.get(), static_cast<long>(got));
      continue;
    }
    const bool first = offset == 0;
    const std::string where = "the page at byte " + std::to_string(offset);
    offset += static_cast<uint64_t>(page.header_len + page.body_len);
    if (first) {
      if (!ogg_page_bos(&page) || !ReadIdentification(&page, summary))
        return Invalid(path, "its first page carries no Vorbis identification header.");
      summary->serial = static_cast<uint32_t>(ogg_page_serialno(&page));
    } else if (static_cast<uint32_t>(ogg_page_serialno(&page)) != summary->serial) {
      continue;
    }
    if (ended) return Invalid(path, where + " follows the end of the Vorbis stream.");
    if (ogg_page_pageno(&page) != static_cast<long>(summary->pages))
      return Invalid(path, where + " is numbered " + std::to_string(ogg_page_pageno(&page)) + " instead of " +
                               std::to_string(summary->pages) + ".");
    const int64_t granule = ogg_page_granulepos(&page);
    if (granule != -1) {
      if (granule < summary->lastGranule) return Invalid(path, where + " goes back in time.");
      summary->lastGranule = granule;
    }
    ended = ogg_page_eos(&page) != 0;
    ++summary->pages;
  }
  const long pending = sync->fill - sync->returned;
  if (pending > 0) {
    if (pending >= 4 && std::memcmp(sync->data + sync->returned, "OggS", 4) == 0)
      return Invalid(path, "its last page is cut off.");
    return Invalid(path, offset == 0 ? "it does not start with an Ogg page."
                                     : "the bytes from byte " + std::to_string(offset) + " on are not an Ogg page.");
  }
  if (offset == 0) return Invalid(path, "it holds no Ogg pages.");
  if (!ended) return Invalid(path, "its last page does not end the Vorbis stream.");
  return S_OK;
}
