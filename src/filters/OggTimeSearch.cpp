#include "filters/OggTimeSearch.h"

#include <algorithm>
#include <vector>

#include "filters/OggGranuleTracker.h"
#include "filters/OggPageReader.h"
#include "filters/OggStreamInfo.h"

namespace {

constexpr int64_t kTailBytes = 65536;
constexpr long kSearchStepBytes = 4096;
constexpr int64_t kGuessMarginBytes = 4096;
constexpr int64_t kCloseEnoughBytes = 8192;
constexpr int kMostGuesses = 64;

// The first page with a time at or after `from` and starting before `end`.
HRESULT NextTimedPage(COggPageReader* pages, const OggPageTime& pageTime, int64_t* offset, REFERENCE_TIME* time) {
  ogg_page page;
  HRESULT hr;
  while ((hr = pages->Next(&page, offset)) == S_OK) {
    *time = pageTime(page, *offset);
    if (*time >= 0) return S_OK;
  }
  return hr;
}

}  // namespace

HRESULT FindLastPageTime(IAsyncReader* reader, int64_t length, const OggPageTime& pageTime, REFERENCE_TIME* time) {
  COggPageReader pages(reader, static_cast<long>(kTailBytes));
  pages.Seek(std::max<int64_t>(0, (length - kTailBytes) & ~int64_t{15}), length);
  *time = -1;
  ogg_page page;
  int64_t offset;
  HRESULT hr;
  while ((hr = pages.Next(&page, &offset)) == S_OK) *time = std::max(*time, pageTime(page, offset));
  return FAILED(hr) ? hr : S_OK;
}

HRESULT FindSeekByte(IAsyncReader* reader, int64_t length, REFERENCE_TIME duration, REFERENCE_TIME target,
                     const OggPageTime& pageTime, int64_t* byte) {
  int64_t lowByte = 0, highByte = length;
  REFERENCE_TIME lowTime = 0, highTime = duration;
  COggPageReader pages(reader, kSearchStepBytes);
  for (int guesses = 0; guesses < kMostGuesses && highByte - lowByte > kCloseEnoughBytes && highTime > lowTime;
       ++guesses) {
    const __int128 span = static_cast<__int128>(highByte - lowByte) * (target - lowTime) / (highTime - lowTime);
    const int64_t guess = std::clamp<int64_t>(lowByte + static_cast<int64_t>(span), lowByte + kGuessMarginBytes,
                                              highByte - kGuessMarginBytes);
    pages.Seek(guess, highByte);
    int64_t offset = 0;
    REFERENCE_TIME time = 0;
    const HRESULT hr = NextTimedPage(&pages, pageTime, &offset, &time);
    if (FAILED(hr)) return hr;
    if (hr != S_OK) {
      highByte = guess;  // nothing with a time from here to the upper bound
    } else if (time < target) {
      lowByte = offset;
      lowTime = time;
    } else {
      highByte = offset;
      highTime = time;
    }
  }
  *byte = lowByte;
  return S_OK;
}

HRESULT FindKeyFrameTime(IAsyncReader* reader, int64_t startByte, uint32_t serial, const OggStreamInfo& info,
                         REFERENCE_TIME target, REFERENCE_TIME* time) {
  COggPageReader pages(reader, kSearchStepBytes);
  pages.Seek(startByte);
  ogg_stream_state stream;
  ogg_stream_init(&stream, static_cast<int>(serial));
  OggGranuleTracker tracker(false);
  std::vector<OggPacketPosition> positions;
  std::vector<bool> syncPoints;
  HRESULT hr;
  ogg_page page;
  int64_t offset;
  bool found = false;
  while (!found && (hr = pages.Next(&page, &offset)) == S_OK) {
    if (static_cast<uint32_t>(ogg_page_serialno(&page)) != serial || ogg_stream_pagein(&stream, &page) != 0) continue;
    positions.clear();
    syncPoints.clear();
    ogg_packet packet;
    int result;
    while ((result = ogg_stream_packetout(&stream, &packet)) != 0) {
      const std::optional<OggDataPacket> data =
          result > 0 ? ParseDataPacket({packet.packet, static_cast<size_t>(packet.bytes)}) : std::nullopt;
      if (!data || (packet.packet[0] & 1) != 0) continue;
      positions.push_back({UsableGranule(packet.granulepos), packet.packetno, data->duration, std::nullopt});
      syncPoints.push_back(data->syncPoint);
    }
    tracker.AssignPage(positions);
    for (size_t i = 0; i < positions.size() && !found; ++i) {
      if (!positions[i].granule || !syncPoints[i]) continue;
      const REFERENCE_TIME packetTime = info.TimeFromGranule(*positions[i].granule);
      if (packetTime >= target) {
        *time = packetTime;
        found = true;
      }
    }
  }
  ogg_stream_clear(&stream);
  if (found) return S_OK;
  return FAILED(hr) ? hr : S_FALSE;
}
