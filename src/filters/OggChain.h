#pragma once
// The links of a chained Ogg file: whole Ogg files joined end to end (`cat a.ogg b.ogg`), each
// link with streams of its own. The Ogg splitter plays a chain as one stream: each link's
// first Vorbis stream continues the one of the link before when it has the same channels and
// rate, and its granule 0 plays where that link's audio ended.
//
// Built on the control thread while the file is scanned; afterwards only read, by any thread.

#include <ogg/ogg.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "filters/OggStreamInfo.h"
#include "platform/media/AsyncReader.h"
#include "platform/media/MediaSample.h"

struct OggChainLink {
  uint32_t serial = 0;
  const OggStreamInfo* info = nullptr;
  int64_t firstByte = 0;      // where the link's first page begins
  REFERENCE_TIME offset = 0;  // when the link's granule 0 plays in the whole chain
};

class OggChain {
 public:
  // The first link: a stream alone, from the file's start.
  explicit OggChain(uint32_t serial, const OggStreamInfo* info) { m_links.push_back({serial, info, 0, 0}); }

  void Append(uint32_t serial, std::unique_ptr<OggStreamInfo> info, int64_t firstByte, REFERENCE_TIME offset);
  size_t Count() const { return m_links.size(); }
  const OggChainLink& Link(size_t link) const { return m_links[link]; }
  // The link the byte at `offset` belongs to.
  size_t LinkAt(int64_t offset) const;

 private:
  std::vector<OggChainLink> m_links;
  std::vector<std::unique_ptr<OggStreamInfo>> m_infos;  // of the links after the first
};

// What a pass over the whole file finds in one link.
struct OggLinkScan {
  int64_t firstByte = 0;
  uint32_t serial = 0;                  // of its first playable Vorbis stream
  std::unique_ptr<OggStreamInfo> info;  // that stream's headers; null when the link has none
  REFERENCE_TIME endTime = 0;           // that stream's largest page time; 0 when it has none
};

// Reads every page of the file once and splits it into links: a link ends where a
// beginning-of-stream page follows other pages. At most `mostStreams` streams per link count.
HRESULT ScanChainLinks(IAsyncReader* reader, int64_t length, size_t mostStreams, std::vector<OggLinkScan>* links);
