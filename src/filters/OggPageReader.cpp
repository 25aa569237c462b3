#include "filters/OggPageReader.h"

#include <algorithm>

COggPageReader::COggPageReader(IAsyncReader* reader, long blockBytes) : m_reader(reader), m_blockBytes(blockBytes) {
  ogg_sync_init(&m_sync);
}

COggPageReader::~COggPageReader() { ogg_sync_clear(&m_sync); }

void COggPageReader::Seek(int64_t position, int64_t end) {
  ogg_sync_reset(&m_sync);
  m_readPosition = position;
  m_syncPosition = position;
  m_end = end;
  m_atEnd = false;
}

HRESULT COggPageReader::Next(ogg_page* page, int64_t* offset) {
  for (;;) {
    const long found = ogg_sync_pageseek(&m_sync, page);
    if (found > 0) {
      *offset = m_syncPosition;
      m_syncPosition += found;
      return S_OK;
    }
    if (found < 0) {
      m_syncPosition -= found;
      continue;
    }
    if (m_atEnd) return S_FALSE;
    long length = m_blockBytes;
    if (m_end >= 0) length = static_cast<long>(std::clamp<int64_t>(m_end - m_readPosition, 0, m_blockBytes));
    long read = 0;
    if (length > 0) {
      char* buffer = ogg_sync_buffer(&m_sync, length);
      if (buffer == nullptr) return E_OUTOFMEMORY;
      const HRESULT hr = m_reader->SyncRead(m_readPosition, length, reinterpret_cast<uint8_t*>(buffer), &read);
      if (FAILED(hr)) return hr;
      read = std::clamp(read, 0L, length);
      ogg_sync_wrote(&m_sync, read);
      m_readPosition += read;
    }
    if (read < length || read == 0) m_atEnd = true;
  }
}
