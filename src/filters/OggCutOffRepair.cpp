#include "filters/OggCutOffRepair.h"

#include <ogg/ogg.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileOperations.h"

namespace {

constexpr long kReadBytes = 64 * 1024;
constexpr size_t kHeaderBytes = 27;  // before the segment table
constexpr size_t kFlagsOffset = 5;
constexpr size_t kSegmentCountOffset = 26;
constexpr unsigned char kEndOfStream = 0x04;
constexpr unsigned char kFullSegment = 255;  // a lacing value that continues its packet

struct PageSpan {
  uint64_t offset = 0;
  size_t bytes = 0;
};

HRESULT SystemFailure(const char* action, const std::string& path) {
  const int err = errno;
  SetErrorInfo(ErrnoMessage(action, path, err));
  return HResultFromErrno(err);
}

// The pages back to back from the file's start, up to the first byte that starts none.
HRESULT ListPages(int fd, const std::string& path, std::vector<PageSpan>* pages) {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  uint64_t readPosition = 0, pagePosition = 0;
  HRESULT hr = S_OK;
  for (bool ended = false; !ended;) {
    ogg_page page;
    const long seek = ogg_sync_pageseek(&sync, &page);
    if (seek > 0) {
      pages->push_back({pagePosition, static_cast<size_t>(seek)});
      pagePosition += static_cast<uint64_t>(seek);
    } else if (seek < 0) {
      ended = true;  // bytes that make no page: the pages end here
    } else {
      char* buffer = ogg_sync_buffer(&sync, kReadBytes);
      const ssize_t got = buffer ? ReadAllAt(fd, buffer, kReadBytes, readPosition) : -1;
      if (got < 0) {
        hr = SystemFailure("Cannot read", path);
        break;
      }
      ogg_sync_wrote(&sync, got);
      readPosition += static_cast<uint64_t>(got);
      ended = got == 0;
    }
  }
  ogg_sync_clear(&sync);
  return hr;
}

// How many of the page's segments end with its last finished packet; 0 when none ends on it.
size_t SegmentsToLastPacketEnd(const std::vector<unsigned char>& page) {
  const size_t segments = page[kSegmentCountOffset];
  for (size_t kept = segments; kept > 0; --kept)
    if (page[kHeaderBytes + kept - 1] != kFullSegment) return kept;
  return 0;
}

bool WriteAllAt(int fd, const std::vector<unsigned char>& bytes, uint64_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

HRESULT RepairCutOffOggFile(int fd, const std::string& path) {
  std::vector<PageSpan> pages;
  HRESULT hr = ListPages(fd, path, &pages);
  if (FAILED(hr)) return hr;
  const off_t fileBytes = ::lseek(fd, 0, SEEK_END);
  if (fileBytes < 0) return SystemFailure("Cannot read", path);

  // From the end, the first page on which a packet ends; later pages only carry the start of
  // a packet that never finished.
  for (auto last = pages.rbegin(); last != pages.rend(); ++last) {
    std::vector<unsigned char> page(last->bytes);
    const ssize_t got = ReadAllAt(fd, page.data(), page.size(), last->offset);
    if (got < 0) return SystemFailure("Cannot read", path);
    if (static_cast<size_t>(got) != page.size()) {
      SetErrorInfo(path + " changed while it was repaired.");
      return E_FAIL;
    }
    const size_t kept = SegmentsToLastPacketEnd(page);
    if (kept == 0) continue;

    const size_t segments = page[kSegmentCountOffset];
    const uint64_t end = last->offset + last->bytes;
    if (kept == segments && (page[kFlagsOffset] & kEndOfStream) && end == static_cast<uint64_t>(fileBytes))
      return S_FALSE;
    size_t bodyBytes = 0;
    for (size_t i = 0; i < kept; ++i) bodyBytes += page[kHeaderBytes + i];
    const size_t headerBytes = kHeaderBytes + segments;
    std::vector<unsigned char> mended(page.begin(), page.begin() + static_cast<long>(kHeaderBytes + kept));
    mended.insert(mended.end(), page.begin() + static_cast<long>(headerBytes),
                  page.begin() + static_cast<long>(headerBytes + bodyBytes));
    mended[kSegmentCountOffset] = static_cast<unsigned char>(kept);
    mended[kFlagsOffset] |= kEndOfStream;
    ogg_page view{mended.data(), static_cast<long>(kHeaderBytes + kept), mended.data() + kHeaderBytes + kept,
                  static_cast<long>(bodyBytes)};
    ogg_page_checksum_set(&view);
    // The mended page is never longer than the one it replaces, so what follows it is cut away
    // only after it is written; a crash in between leaves a file this repair mends again.
    if (!WriteAllAt(fd, mended, last->offset) ||
        ::ftruncate(fd, static_cast<off_t>(last->offset + mended.size())) != 0 || ::fsync(fd) != 0)
      return SystemFailure("Cannot write", path);
    return S_OK;
  }
  SetErrorInfo(path + " holds no complete Ogg page.");
  return VFW_E_INVALID_FILE_FORMAT;
}
