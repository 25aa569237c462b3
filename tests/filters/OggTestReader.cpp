#include "filters/OggTestReader.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct StreamState {
  ogg_stream_state state{};
  explicit StreamState(int serial) { ogg_stream_init(&state, serial); }
  ~StreamState() { ogg_stream_clear(&state); }
  StreamState(const StreamState&) = delete;
  StreamState& operator=(const StreamState&) = delete;
};

}  // namespace

OggTestFile ReadOggTestFile(std::span<const uint8_t> bytes) {
  OggTestFile file;
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
  if (buffer != nullptr && !bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  ogg_sync_wrote(&sync, buffer != nullptr ? static_cast<long>(bytes.size()) : 0);

  std::map<int, std::unique_ptr<StreamState>> streams;
  size_t offset = 0;
  ogg_page page;
  for (;;) {
    const long seek = ogg_sync_pageseek(&sync, &page);
    if (seek == 0) break;
    if (seek < 0) {
      offset += static_cast<size_t>(-seek);
      continue;
    }
    OggTestPage read;
    read.serial = ogg_page_serialno(&page);
    read.pageNumber = ogg_page_pageno(&page);
    read.granule = ogg_page_granulepos(&page);
    read.beginOfStream = ogg_page_bos(&page) != 0;
    read.endOfStream = ogg_page_eos(&page) != 0;
    read.continued = ogg_page_continued(&page) != 0;
    read.packetsEnding = ogg_page_packets(&page);
    read.offset = offset;
    read.bytes = static_cast<size_t>(seek);
    offset += static_cast<size_t>(seek);

    auto& stream = streams[read.serial];
    if (!stream) stream = std::make_unique<StreamState>(read.serial);
    if (ogg_stream_pagein(&stream->state, &page) == 0) {
      ogg_packet packet;
      int result;
      while ((result = ogg_stream_packetout(&stream->state, &packet)) != 0) {
        if (result < 0) {
          file.packetsLost = true;
          continue;
        }
        OggTestPacket out;
        out.bytes.assign(packet.packet, packet.packet + packet.bytes);
        out.granule = packet.granulepos;
        out.endOfStream = packet.e_o_s != 0;
        read.packets.push_back(out);
        file.packets[read.serial].push_back(std::move(out));
      }
    }
    file.pages.push_back(std::move(read));
  }
  file.unreadBytes = bytes.size() - std::min(bytes.size(), offset);
  ogg_sync_clear(&sync);
  return file;
}
