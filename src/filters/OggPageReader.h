#pragma once
// Reads the Ogg pages of a file through the pull reader, from any byte position: libogg's sync
// layer finds each page (skipping bytes that make none, and pages whose checksum is wrong) and
// tells where it began. One reader is used by one thread at a time.

#include <ogg/ogg.h>

#include <cstdint>

#include "platform/media/AsyncReader.h"

class COggPageReader {
 public:
  // `reader` outlives this object; it is read `blockBytes` at a time.
  COggPageReader(IAsyncReader* reader, long blockBytes);
  ~COggPageReader();
  COggPageReader(const COggPageReader&) = delete;
  COggPageReader& operator=(const COggPageReader&) = delete;

  // Reads from `position` on, up to `end` (a negative end: to the end of the file), and
  // forgets what was buffered.
  void Seek(int64_t position, int64_t end = -1);
  // S_OK with the next whole page and the offset of its first byte; the page stays valid until
  // the next call. S_FALSE when no further page starts and ends before the end; a read failure
  // as the reader reported it.
  HRESULT Next(ogg_page* page, int64_t* offset);

 private:
  IAsyncReader* m_reader;
  long m_blockBytes;
  ogg_sync_state m_sync;
  int64_t m_readPosition = 0;  // next byte to read from the file
  int64_t m_syncPosition = 0;  // file offset of the first byte the sync layer still holds
  int64_t m_end = -1;
  bool m_atEnd = false;
};
