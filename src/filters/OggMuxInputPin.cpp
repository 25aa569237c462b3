#include "filters/OggMuxInputPin.h"

#include <chrono>
#include <cstdio>
#include <limits>
#include <new>

#include "filters/OggMux.h"
#include "filters/TimeScale.h"
#include "filters/VorbisFormat.h"

namespace {

// Header pages sort before any data: a stream's first two pages, and a Vorbis stream's third.
constexpr REFERENCE_TIME kFirstHeaderPageTime = -3;
// Spare room in the held sample's buffer beyond the upstream buffer size.
constexpr size_t kHeldSlackBytes = 8;

constexpr uint8_t kVorbisCommentPacketType = 3;

std::string PinName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "Stream %d", index);
  return name;
}

// Video-info and wave-format subtypes built from a four-character code or a format tag.
bool HasFourccSubtype(const AM_MEDIA_TYPE& type) {
  return type.subtype.Data2 == 0x0000 && type.subtype.Data3 == 0x0010;
}

bool IsVorbisHeaderPacket(const std::vector<uint8_t>& packet) { return !packet.empty() && (packet[0] & 1) != 0; }

}  // namespace

COggMuxInputPin::COggMuxInputPin(COggMux* filter, int index)
    : CBaseInputPin(filter, PinName(index)), m_mux(filter), m_index(index) {
  vorbis_comment_init(&m_comment);
}

COggMuxInputPin::~COggMuxInputPin() {
  ClearStream();
  vorbis_comment_clear(&m_comment);
}

HRESULT COggMuxInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  StreamFormat format;
  return Describe(*type, 0, &format);
}

HRESULT COggMuxInputPin::Describe(const AM_MEDIA_TYPE& type, uint32_t bufferBytes, StreamFormat* format) {
  if (type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_Vorbis) {
    const std::optional<VORBISFORMAT> vorbis = VorbisFormatOf(type);
    if (!vorbis || vorbis->nSamplesPerSec <= 0) return VFW_E_TYPE_NOT_ACCEPTED;
    format->kind = Kind::Vorbis;
    format->vorbisRateHz = vorbis->nSamplesPerSec;
    return S_OK;
  }
  try {
    std::optional<OggStreamHeader> header;
    if (type.majortype == MEDIATYPE_Text)
      header = MakeTextStreamHeader();
    else if (HasFourccSubtype(type) && type.formattype == FORMAT_VideoInfo)
      header = MakeVideoStreamHeader(type, bufferBytes);
    else if (HasFourccSubtype(type) && type.formattype == FORMAT_WaveFormatEx)
      header = MakeAudioStreamHeader(type, bufferBytes);
    if (!header) return VFW_E_TYPE_NOT_ACCEPTED;
    format->kind = Kind::Generic;
    format->header = std::move(*header);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT COggMuxInputPin::CompleteConnect(IPin* receivePin) {
  const HRESULT hr = CBaseInputPin::CompleteConnect(receivePin);
  if (FAILED(hr)) return hr;
  return m_mux->AddInputIfAllConnected();
}

HRESULT COggMuxInputPin::NotifyAllocator(const std::shared_ptr<IMemAllocator>& allocator, bool readOnly) {
  if (!allocator) return E_POINTER;
  ALLOCATOR_PROPERTIES properties;
  if (SUCCEEDED(allocator->GetProperties(&properties))) m_upstreamBufferBytes = properties.cbBuffer;
  return CBaseInputPin::NotifyAllocator(allocator, readOnly);
}

HRESULT COggMuxInputPin::Active() {
  std::lock_guard lock(m_receiveLock);
  const HRESULT hr = Describe(CurrentMediaType(), static_cast<uint32_t>(m_upstreamBufferBytes), &m_format);
  if (FAILED(hr)) return hr;
  ClearStream();
  if (ogg_stream_init(&m_stream, m_index) != 0) return E_OUTOFMEMORY;
  m_streamOpen = true;
  try {
    m_held.bytes.reserve(static_cast<size_t>(m_upstreamBufferBytes) + kHeldSlackBytes);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  m_queue.Clear();
  m_hasHeld = false;
  m_genericHeadersWritten = false;
  m_waitEnabled = true;
  m_lastEnd = 0;
  m_lastPageTime = std::numeric_limits<REFERENCE_TIME>::min();
  m_ended = false;
  m_stopping = false;
  return CBaseInputPin::Active();
}

HRESULT COggMuxInputPin::Inactive() {
  m_stopping = true;
  Wake();
  std::lock_guard lock(m_receiveLock);
  const HRESULT hr = CBaseInputPin::Inactive();
  ClearStream();
  m_queue.Clear();
  m_hasHeld = false;
  return hr;
}

HRESULT COggMuxInputPin::Receive(IMediaSample* sample) {
  std::lock_guard lock(m_receiveLock);
  HRESULT hr = CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  if (m_hasHeld) {
    REFERENCE_TIME start = 0, end = 0;
    if (SUCCEEDED(sample->GetTime(&start, &end))) m_held.end = start;
    hr = WriteHeld(false);
    if (FAILED(hr)) return hr;
  }
  return Hold(sample);
}

HRESULT COggMuxInputPin::Hold(IMediaSample* sample) {
  uint8_t* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long length = sample->GetActualDataLength();
  if (length < 0 || (length > 0 && data == nullptr)) return E_POINTER;

  REFERENCE_TIME start = 0, end = 0;
  hr = sample->GetTime(&start, &end);
  if (hr == VFW_S_NO_STOP_TIME) end = start;
  if (FAILED(hr)) start = end = m_lastEnd;
  m_lastEnd = end;

  try {
    m_held.bytes.assign(data, data + length);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  m_held.start = start;
  m_held.end = end;
  m_held.syncPoint = sample->IsSyncPoint() == S_OK;
  m_held.flushAfter = false;
  m_hasHeld = true;

  if (m_format.kind == Kind::Vorbis) {
    if (!IsVorbisHeaderPacket(m_held.bytes)) return S_OK;
    m_held.flushAfter = true;
    // The comment header is our own (empty) one, whatever the encoder wrote.
    if ((m_held.bytes[0] & 7) == kVorbisCommentPacketType) {
      ogg_packet comment;
      if (vorbis_commentheader_out(&m_comment, &comment) != 0) return E_OUTOFMEMORY;
      try {
        m_held.bytes.assign(comment.packet, comment.packet + comment.bytes);
      } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
      }
      ogg_packet_clear(&comment);
    }
  } else if (m_format.header.kind == OggGenericKind::Text) {
    m_held.syncPoint = true;
    m_held.flushAfter = true;
  }
  return hr;
}

HRESULT COggMuxInputPin::WriteHeld(bool last) {
  m_hasHeld = false;
  HRESULT hr = S_OK;
  if (m_format.kind == Kind::Vorbis) {
    const bool header = IsVorbisHeaderPacket(m_held.bytes);
    const int64_t granule = header ? 0 : ScaleRounded(m_held.start, m_format.vorbisRateHz, kUnitsPerSecond);
    ogg_iovec_t part{m_held.bytes.data(), m_held.bytes.size()};
    hr = PacketIn(&part, 1, granule, last);
  } else {
    hr = WriteGenericHeaders();
    if (FAILED(hr)) return hr;
    const int64_t granule = m_format.header.GranuleFromTime(m_held.start);
    const int64_t duration = m_format.header.GranuleFromTime(m_held.end) - granule;
    uint8_t prefix[kOggDataPacketPrefixMaxBytes];
    const size_t prefixBytes = EncodeDataPacketPrefix(m_held.syncPoint, duration, prefix);
    ogg_iovec_t parts[2] = {{prefix, prefixBytes}, {m_held.bytes.data(), m_held.bytes.size()}};
    hr = PacketIn(parts, 2, granule, last);
  }
  if (FAILED(hr)) return hr;

  // The last packet goes out whole, so the stream's final page carries the end-of-stream flag.
  const bool flush = m_held.flushAfter || last;
  hr = TakePages(flush);
  if (SUCCEEDED(hr) && !flush && PendingTooLong()) hr = TakePages(true);
  if (FAILED(hr)) return hr;
  hr = m_mux->RunPageWriter();
  if (FAILED(hr)) return hr;
  WaitForQueue();
  return S_OK;
}

HRESULT COggMuxInputPin::WriteGenericHeaders() {
  if (m_genericHeadersWritten) return S_OK;
  std::vector<uint8_t> headerPacket;
  try {
    headerPacket = EncodeStreamHeaderPacket(m_format.header);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  ogg_iovec_t part{headerPacket.data(), headerPacket.size()};
  HRESULT hr = PacketIn(&part, 1, 0, false);
  if (SUCCEEDED(hr)) hr = TakePages(true);
  if (FAILED(hr)) return hr;

  ogg_packet comment;
  if (vorbis_commentheader_out(&m_comment, &comment) != 0) return E_OUTOFMEMORY;
  part = {comment.packet, static_cast<size_t>(comment.bytes)};
  hr = PacketIn(&part, 1, 0, false);
  ogg_packet_clear(&comment);
  if (SUCCEEDED(hr)) hr = TakePages(true);
  if (FAILED(hr)) return hr;
  m_genericHeadersWritten = true;
  return S_OK;
}

HRESULT COggMuxInputPin::PacketIn(ogg_iovec_t* parts, int count, int64_t granule, bool last) {
  if (!m_streamOpen) return VFW_E_WRONG_STATE;
  return ogg_stream_iovecin(&m_stream, parts, count, last ? 1 : 0, granule) == 0 ? S_OK : E_OUTOFMEMORY;
}

HRESULT COggMuxInputPin::TakePages(bool flush) {
  for (;;) {
    // libogg keeps, per pending lacing value, the granule position of the packet it belongs to
    // when it is that packet's last, else of the packet before: the first one dates the page.
    const int64_t firstGranule = m_stream.lacing_fill > 0 ? m_stream.granule_vals[0] : 0;
    ogg_page page;
    const int made = flush ? ogg_stream_flush(&m_stream, &page) : ogg_stream_pageout(&m_stream, &page);
    if (made == 0) return S_OK;
    m_mux->PageMade();
    const std::span<const uint8_t> header(page.header, static_cast<size_t>(page.header_len));
    const std::span<const uint8_t> body(page.body, static_cast<size_t>(page.body_len));
    if (!m_queue.Push(header, body, PageTime(page, firstGranule))) return E_OUTOFMEMORY;
  }
}

REFERENCE_TIME COggMuxInputPin::PageTime(const ogg_page& page, int64_t firstGranule) const {
  const long pageNumber = ogg_page_pageno(&page);
  if (pageNumber < 2 || (pageNumber == 2 && m_format.kind == Kind::Vorbis)) return kFirstHeaderPageTime + pageNumber;
  return GranuleTime(firstGranule);
}

REFERENCE_TIME COggMuxInputPin::GranuleTime(int64_t granule) const {
  if (m_format.kind == Kind::Vorbis) return ScaleRounded(granule, kUnitsPerSecond, m_format.vorbisRateHz);
  return m_format.header.TimeFromGranule(granule);
}

bool COggMuxInputPin::PendingTooLong() const {
  if (m_stream.lacing_fill <= 0) return false;
  return m_held.end - GranuleTime(m_stream.granule_vals[0]) >= kMaxPendingTime;
}

void COggMuxInputPin::WaitForQueue() {
  if (!m_waitEnabled) return;
  std::unique_lock lock(m_wakeLock);
  const auto released = [this] { return m_stopping.load() || m_queue.Empty(); };
  while (!released()) {
    const uint64_t pagesBefore = m_mux->PagesMade();
    if (m_wake.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs), released)) return;
    if (m_mux->PagesMade() == pagesBefore) {
      // No stream made a page for a whole slice: the stream we wait for has stopped delivering.
      m_waitEnabled = false;
      return;
    }
  }
}

void COggMuxInputPin::Wake() {
  { std::lock_guard lock(m_wakeLock); }
  m_wake.notify_all();
}

REFERENCE_TIME COggMuxInputPin::NextPageTime() const {
  REFERENCE_TIME time;
  if (m_queue.FrontTime(&time)) return time;
  return m_ended ? std::numeric_limits<REFERENCE_TIME>::max() : m_lastPageTime;
}

void COggMuxInputPin::TookPage(REFERENCE_TIME time, bool queueNowEmpty) {
  m_lastPageTime = time;
  if (queueNowEmpty) Wake();
}

HRESULT COggMuxInputPin::EndOfStream() {
  std::lock_guard lock(m_receiveLock);
  const HRESULT hr = CBaseInputPin::EndOfStream();
  if (hr != S_OK) return hr;
  const HRESULT written = m_hasHeld ? WriteHeld(true) : S_OK;
  m_ended = true;
  const HRESULT finished = m_mux->RunPageWriter();
  return FAILED(written) ? written : finished;
}

HRESULT COggMuxInputPin::BeginFlush() {
  m_stopping = true;
  Wake();
  return CBaseInputPin::BeginFlush();
}

HRESULT COggMuxInputPin::EndFlush() {
  if (!m_pFilter->IsStopped()) m_stopping = false;
  return CBaseInputPin::EndFlush();
}

void COggMuxInputPin::ClearStream() {
  if (!m_streamOpen) return;
  ogg_stream_clear(&m_stream);
  m_streamOpen = false;
}
