#include "filters/OggStream.h"

#include <cstdio>

#include "platform/media/BaseFilter.h"

namespace {

bool IsHeaderPacket(const ogg_packet& packet) { return packet.bytes > 0 && (packet.packet[0] & 1) != 0; }

}  // namespace

COggStream::COggStream(CBaseFilter* filter, uint32_t serial)
    : m_filter(filter), m_serial(serial), m_chain(serial, &m_info) {
  ogg_stream_init(&m_ogg, static_cast<int>(serial));
}

COggStream::~COggStream() {
  Join();
  ogg_stream_clear(&m_ogg);
}

std::unique_ptr<COggStream> COggStream::MakeTextPlaceholder(CBaseFilter* filter, uint32_t serial) {
  auto stream = std::make_unique<COggStream>(filter, serial);
  stream->m_placeholder = true;
  stream->m_info.MakeTextPlaceholder();
  return stream;
}

void COggStream::ScanPage(ogg_page* page) { m_info.ScanPage(&m_ogg, page); }

void COggStream::SetPin(COggSplitOutputPin* pin, bool ownsPin) {
  m_pin = pin;
  m_ownsPin = ownsPin;
}

void COggStream::Start(OggSplitRun* run, bool sharesGroup, int64_t startByte) {
  Join();
  if (m_pin == nullptr || !m_pin->IsConnected()) return;
  m_run = run;
  m_link = m_chain.LinkAt(startByte);
  m_sharesGroup = sharesGroup;
  m_synced = false;
  m_finished = false;
  m_queue.Clear();
  m_thread = std::thread([this] { m_placeholder ? DeliverPlaceholder() : Deliver(); });
}

void COggStream::Join() {
  if (m_thread.joinable()) m_thread.join();
  m_finished = true;
}

bool COggStream::Receiving() const { return !m_placeholder && !m_finished.load(); }

void COggStream::QueuePage(const ogg_page& page, int64_t offset, REFERENCE_TIME time) {
  if (!m_synced) {
    if (ogg_page_packets(&page) == 0) return;
    m_synced = true;
  }
  const size_t high = m_info.QueueHighMark();
  if (!m_enabled && high > 0 && m_queue.Count() >= high) {
    bool nowEmpty = false;
    m_queue.Recycle(m_queue.Pop(&nowEmpty));
  }
  m_queue.Push({page.header, static_cast<size_t>(page.header_len)}, {page.body, static_cast<size_t>(page.body_len)},
               time, offset);
  m_run->Notify();
}

bool COggStream::QueueFull() const {
  const size_t high = m_info.QueueHighMark();
  return m_enabled && !m_finished && high > 0 && m_queue.Count() >= high;
}

bool COggStream::QueueDrained() const { return !m_enabled || m_finished || m_queue.Count() < m_info.QueueLowMark(); }

// ---- delivery thread ----

void COggStream::Deliver() {
  bool delivering = false;
  for (;;) {
    if (!m_enabled) {
      delivering = false;
      if (!WaitWhileDisabled()) break;
      continue;
    }
    if (!delivering) {
      delivering = true;
      if (BeginDelivering() == Step::End) break;
    }
    std::unique_ptr<OggPageNode> page;
    if (!WaitForPage(&page)) break;
    if (!page) continue;  // disabled meanwhile
    const Step step = DeliverPage(*page);
    m_queue.Recycle(std::move(page));
    m_run->Notify();
    if (step == Step::End) break;
  }
  m_finished = true;
  m_run->Notify();
}

bool COggStream::WaitWhileDisabled() {
  {
    std::unique_lock lock(m_run->lock);
    m_run->changed.wait(
        lock, [this] { return m_run->quit || m_enabled || (m_run->readerDone && m_queue.Empty()) || FrontIsStale(); });
    if (m_run->quit) return false;
    if (m_enabled) return true;
    if (m_run->readerDone && m_queue.Empty()) {
      lock.unlock();
      // Nobody else delivers on a pin of its own.
      if (m_ownsPin) m_pin->DeliverEndOfStreamOnce();
      return false;
    }
  }
  DropStalePages();
  return true;
}

bool COggStream::FrontIsStale() const {
  REFERENCE_TIME time;
  return m_queue.FrontTime(&time) && time - m_run->start <= m_pin->LastStart();
}

void COggStream::DropStalePages() {
  while (FrontIsStale()) {
    bool nowEmpty = false;
    m_queue.Recycle(m_queue.Pop(&nowEmpty));
  }
}

COggStream::Step COggStream::BeginDelivering() {
  ogg_stream_reset_serialno(&m_ogg, static_cast<int>(m_chain.Link(m_link).serial));
  m_tracker = OggGranuleTracker(m_info.Kind() == OggStreamKind::Vorbis);
  m_discontinuity = true;
  m_haveLastTime = false;
  m_havePreroll = false;
  if (m_info.Kind() != OggStreamKind::Vorbis) return Step::Continue;
  const OggPacketTimes zero;
  for (const std::vector<uint8_t>& header : LinkInfo().VorbisHeaders())
    if (Send(header, zero, true, true, false) == Step::End) return Step::End;
  return Step::Continue;
}

COggStream::Step COggStream::BeginLink(size_t link) {
  m_link = link;
  ogg_stream_reset_serialno(&m_ogg, static_cast<int>(m_chain.Link(link).serial));
  m_tracker = OggGranuleTracker(true);
  // Packets of the link before the seek position cannot prime a decoder set up anew.
  m_havePreroll = false;
  // The link's first packet plays where the last one of the link before ended.
  m_pin->AllowStartsFrom(m_chain.Link(link).offset - m_run->start);
  const OggPacketTimes zero;
  for (const std::vector<uint8_t>& header : LinkInfo().VorbisHeaders())
    if (Send(header, zero, true, true, false) == Step::End) return Step::End;
  return Step::Continue;
}

bool COggStream::WaitForPage(std::unique_ptr<OggPageNode>* page) {
  std::unique_lock lock(m_run->lock);
  m_run->changed.wait(lock, [this] { return m_run->quit || !m_enabled || !m_queue.Empty() || m_run->readerDone; });
  if (m_run->quit) return false;
  if (!m_enabled) return true;
  if (m_queue.Empty()) {
    lock.unlock();
    EndOfStream();
    return false;
  }
  bool nowEmpty = false;
  *page = m_queue.Pop(&nowEmpty);
  return true;
}

COggStream::Step COggStream::DeliverPage(const OggPageNode& node) {
  ogg_page page;
  page.header = const_cast<unsigned char*>(node.header.data());
  page.header_len = static_cast<long>(node.headerBytes);
  page.body = const_cast<unsigned char*>(node.body.data());
  page.body_len = static_cast<long>(node.bodyBytes);
  const size_t link = m_chain.LinkAt(node.offset);
  if (link != m_link && BeginLink(link) == Step::End) return Step::End;
  if (ogg_stream_pagein(&m_ogg, &page) != 0) return Step::Continue;
  const bool vorbis = m_info.Kind() == OggStreamKind::Vorbis;
  ogg_packet packet;
  int result;
  while ((result = ogg_stream_packetout(&m_ogg, &packet)) != 0) {
    if (result < 0 || IsHeaderPacket(packet)) {
      if (DeliverGathered() == Step::End) return Step::End;
      if (result < 0)
        m_tracker.Forget();
      else
        m_tracker.StartAtZero(packet.packetno);
      continue;
    }
    OggPacketPosition position;
    position.pageGranule = UsableGranule(packet.granulepos);
    position.packetNumber = packet.packetno;
    if (vorbis) {
      const long blockSize = LinkInfo().VorbisBlockSize(packet);
      position.size = blockSize > 0 ? blockSize : -1;
    } else {
      const std::optional<OggDataPacket> data = ParseDataPacket({packet.packet, static_cast<size_t>(packet.bytes)});
      position.size = data ? data->duration : -1;
    }
    m_gathered.push_back(packet);
    m_positions.push_back(position);
  }
  return DeliverGathered();
}

COggStream::Step COggStream::DeliverGathered() {
  m_tracker.AssignPage(m_positions);
  Step step = Step::Continue;
  for (size_t i = 0; i < m_gathered.size() && step == Step::Continue; ++i)
    if (m_positions[i].granule) step = DeliverPacket(m_gathered[i], m_positions[i]);
  m_gathered.clear();
  m_positions.clear();
  return step;
}

COggStream::Step COggStream::DeliverPacket(const ogg_packet& packet, const OggPacketPosition& position) {
  std::span<const uint8_t> bytes{packet.packet, static_cast<size_t>(packet.bytes)};
  const int64_t granule = *position.granule;
  int64_t duration = 0;
  bool syncPoint = true;
  if (m_info.Kind() != OggStreamKind::Vorbis) {
    const std::optional<OggDataPacket> data = ParseDataPacket(bytes);
    if (!data) return Step::Continue;
    duration = data->duration;
    syncPoint = data->syncPoint;
    bytes = data->payload;
  }
  const REFERENCE_TIME linkOffset = m_chain.Link(m_link).offset;
  const REFERENCE_TIME time = linkOffset + LinkInfo().TimeFromGranule(granule);
  // A Vorbis packet's audio begins where the packet before ended.
  const bool vorbis = m_info.Kind() == OggStreamKind::Vorbis;
  const REFERENCE_TIME begins = vorbis && m_haveLastTime ? m_lastTime : time;
  m_lastTime = time;
  m_haveLastTime = true;
  if (begins > m_run->stop.load()) {
    EndOfStream();
    return Step::End;
  }
  OggPacketTimes times;
  times.start = time - m_run->start;
  times.end = linkOffset + LinkInfo().TimeFromGranule(granule + duration) - m_run->start;
  times.mediaStart = granule;
  times.mediaEnd = granule + duration;
  if (times.start < 0) {
    if (vorbis) {
      m_preroll.assign(bytes.begin(), bytes.end());
      m_prerollTimes = times;
      m_havePreroll = true;
    }
  } else {
    if (m_havePreroll) {
      m_havePreroll = false;
      if (Send(m_preroll, m_prerollTimes, false, true, true) == Step::End) return Step::End;
    }
    if (Send(bytes, times, false, syncPoint, false) == Step::End) return Step::End;
  }
  // A chain goes on with its next link.
  if (packet.e_o_s && m_link + 1 == m_chain.Count()) {
    EndOfStream();
    return Step::End;
  }
  return Step::Continue;
}

COggStream::Step COggStream::Send(std::span<const uint8_t> bytes, const OggPacketTimes& times, bool header,
                                  bool syncPoint, bool preroll) {
  bool skipped = false;
  const HRESULT hr =
      m_pin->DeliverPacket(bytes, times, header, syncPoint, m_discontinuity && !header, preroll, &skipped);
  if (hr == VFW_E_BUFFER_OVERFLOW) {
    char text[160];
    std::snprintf(text, sizeof text, "Stream %u holds a packet of %zu bytes, more than its %u-byte buffers.", m_serial,
                  bytes.size(), m_info.BufferBytes());
    SetErrorInfo(text);
    Fail(hr);
    return Step::End;
  }
  // S_FALSE: downstream is flushing or wants no more. A failure downstream reported itself;
  // a buffer refused means the pin is stopping.
  if (hr != S_OK) return Step::End;
  if (skipped) return Step::Continue;
  if (!header) m_discontinuity = false;
  if (m_sharesGroup) m_run->Notify();
  return Step::Continue;
}

void COggStream::EndOfStream() { m_pin->DeliverEndOfStreamOnce(); }

void COggStream::Fail(HRESULT hr) {
  if (!m_run->Quitting()) m_filter->NotifyEvent(EC_ERRORABORT, hr, 0);
}

void COggStream::DeliverPlaceholder() {
  const REFERENCE_TIME second = kUnitsPerSecond;
  for (int64_t index = m_run->start / second;; ++index) {
    const REFERENCE_TIME time = index * second;
    if (time > m_run->stop.load()) {
      EndOfStream();
      break;
    }
    {
      std::unique_lock lock(m_run->lock);
      m_run->changed.wait(lock, [this] { return m_run->quit || m_enabled; });
      if (m_run->quit) break;
      // Without a known length the reader's end is the only end there is.
      if (m_run->readerDone && m_run->stop.load() == OggSplitRun::kNoStop) {
        lock.unlock();
        EndOfStream();
        break;
      }
    }
    OggPacketTimes times;
    times.start = time - m_run->start;
    times.end = times.start + second;
    times.mediaStart = index;
    times.mediaEnd = index + 1;
    static constexpr uint8_t kBlank[1] = {0};
    if (Send(kBlank, times, false, true, times.start < 0) == Step::End) break;
  }
  m_finished = true;
  m_run->Notify();
}
