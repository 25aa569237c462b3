#pragma once
// Reads an Ogg byte stream back with libogg's sync and stream layers, for checking what the
// multiplexer wrote: every page in file order, and every stream's packets.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

struct OggTestPacket {
  std::vector<uint8_t> bytes;
  int64_t granule = -1;  // -1 unless the packet ends its page
  bool endOfStream = false;
};

struct OggTestPage {
  int serial = 0;
  long pageNumber = 0;
  int64_t granule = 0;
  bool beginOfStream = false;
  bool endOfStream = false;
  bool continued = false;
  int packetsEnding = 0;
  size_t offset = 0;  // of the page in the stream
  size_t bytes = 0;
  std::vector<OggTestPacket> packets;  // those ending on this page
};

struct OggTestFile {
  std::vector<OggTestPage> pages;
  std::map<int, std::vector<OggTestPacket>> packets;  // by serial, in order
  size_t unreadBytes = 0;                             // trailing bytes that made no page
  bool packetsLost = false;                           // a stream had a hole
};

OggTestFile ReadOggTestFile(std::span<const uint8_t> bytes);
