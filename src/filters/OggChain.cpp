#include "filters/OggChain.h"

#include <algorithm>

#include "filters/OggGranuleTracker.h"
#include "filters/OggPageReader.h"

namespace {

constexpr long kScanBlockBytes = 65536;

// One stream of a link while its headers are read.
struct LinkStream {
  explicit LinkStream(uint32_t serialNumber)
      : serial(serialNumber), info(std::make_unique<OggStreamInfo>()) {
    ogg_stream_init(&ogg, static_cast<int>(serialNumber));
  }
  ~LinkStream() { ogg_stream_clear(&ogg); }
  LinkStream(const LinkStream&) = delete;
  LinkStream& operator=(const LinkStream&) = delete;

  uint32_t serial;
  ogg_stream_state ogg;
  std::unique_ptr<OggStreamInfo> info;
  REFERENCE_TIME endTime = 0;
};

OggLinkScan FinishLink(int64_t firstByte, std::vector<std::unique_ptr<LinkStream>>* streams) {
  OggLinkScan link;
  link.firstByte = firstByte;
  const auto vorbis = std::find_if(streams->begin(), streams->end(), [](const auto& stream) {
    return stream->info->Kind() == OggStreamKind::Vorbis && stream->info->Playable();
  });
  if (vorbis != streams->end()) {
    link.serial = (*vorbis)->serial;
    link.endTime = (*vorbis)->endTime;
    link.info = std::move((*vorbis)->info);
  }
  streams->clear();
  return link;
}

}  // namespace

void OggChain::Append(uint32_t serial, std::unique_ptr<OggStreamInfo> info, int64_t firstByte,
                      REFERENCE_TIME offset) {
  m_links.push_back({serial, info.get(), firstByte, offset});
  m_infos.push_back(std::move(info));
}

size_t OggChain::LinkAt(int64_t offset) const {
  size_t link = 0;
  while (link + 1 < m_links.size() && m_links[link + 1].firstByte <= offset) ++link;
  return link;
}

HRESULT ScanChainLinks(IAsyncReader* reader, int64_t length, size_t mostStreams, std::vector<OggLinkScan>* links) {
  links->clear();
  COggPageReader pages(reader, kScanBlockBytes);
  pages.Seek(0, length);
  std::vector<std::unique_ptr<LinkStream>> streams;
  int64_t linkStart = 0;
  bool pastHeaders = false;  // a page without the beginning-of-stream flag came in this link
  ogg_page page;
  int64_t offset = 0;
  HRESULT hr;
  while ((hr = pages.Next(&page, &offset)) == S_OK) {
    const bool beginning = ogg_page_bos(&page) != 0;
    if (beginning && pastHeaders) {
      links->push_back(FinishLink(linkStart, &streams));
      linkStart = offset;
      pastHeaders = false;
    }
    pastHeaders = pastHeaders || !beginning;
    const auto serial = static_cast<uint32_t>(ogg_page_serialno(&page));
    auto stream = std::find_if(streams.begin(), streams.end(), [&](const auto& s) { return s->serial == serial; });
    if (stream == streams.end()) {
      if (!beginning || streams.size() >= mostStreams) continue;
      streams.push_back(std::make_unique<LinkStream>(serial));
      stream = streams.end() - 1;
    }
    LinkStream& found = **stream;
    found.info->ScanPage(&found.ogg, &page);
    const int64_t granule = UsableGranule(ogg_page_granulepos(&page));
    if (granule >= 0 && found.info->HeadersComplete())
      found.endTime = std::max(found.endTime, found.info->TimeFromGranule(granule));
  }
  if (FAILED(hr)) return hr;
  links->push_back(FinishLink(linkStart, &streams));
  return S_OK;
}
