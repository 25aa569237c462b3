#include "filters/OggStreamInfo.h"

#include <algorithm>

#include "filters/OggEmbeddedSamplesHeader.h"
#include "filters/OggGranuleTracker.h"
#include "filters/TimeScale.h"
#include "filters/VorbisFormat.h"

namespace {

constexpr uint32_t kVorbisBufferBytes = 8192;
constexpr uint32_t kTextBufferBytes = 1024;
constexpr size_t kVorbisHighMark = 32;
constexpr size_t kVorbisLowMark = 16;
constexpr size_t kTextLowMark = 20;
// End-of-stream bit of a page header.
constexpr uint8_t kPageEndOfStream = 0x04;

bool IsHeaderPacket(const ogg_packet& packet) { return packet.bytes > 0 && (packet.packet[0] & 1) != 0; }

std::span<const uint8_t> Bytes(const ogg_packet& packet) {
  return {packet.packet, static_cast<size_t>(std::max<long>(packet.bytes, 0))};
}

}  // namespace

OggStreamInfo::OggStreamInfo() {
  vorbis_info_init(&m_vorbisInfo);
  vorbis_comment_init(&m_vorbisComment);
}

OggStreamInfo::~OggStreamInfo() {
  vorbis_comment_clear(&m_vorbisComment);
  vorbis_info_clear(&m_vorbisInfo);
}

void OggStreamInfo::MakeTextPlaceholder() {
  m_kind = OggStreamKind::Generic;
  m_generic = MakeTextStreamHeader();
  m_comments.Add("LANGUAGE", "off");
  m_typeOneSeen = true;
  m_complete = true;
}

void OggStreamInfo::AddPacket(const ogg_packet& packet) {
  if (m_complete) return;
  if (!IsHeaderPacket(packet)) {
    m_complete = true;
    return;
  }
  switch (packet.packet[0] & 7) {
    case 1:
      if (!m_typeOneSeen) AddTypeOnePacket(packet);
      break;
    case 3:
      m_comments.Parse(Bytes(packet));
      if (m_kind == OggStreamKind::Vorbis) AddVorbisHeader(packet, 1);
      break;
    case 5:
      if (m_kind == OggStreamKind::Vorbis) AddVorbisHeader(packet, 2);
      break;
    default:
      break;
  }
}

void OggStreamInfo::ScanPage(ogg_stream_state* ogg, ogg_page* page) {
  if (m_complete || ogg_stream_pagein(ogg, page) != 0) return;
  ogg_packet packet;
  int result;
  while (!m_complete && (result = ogg_stream_packetout(ogg, &packet)) != 0)
    if (result > 0) AddPacket(packet);
  if ((page->header[5] & kPageEndOfStream) != 0 && !m_complete) {
    ogg_packet end{};
    AddPacket(end);
  }
}

void OggStreamInfo::AddTypeOnePacket(const ogg_packet& packet) {
  m_typeOneSeen = true;
  const std::span<const uint8_t> bytes = Bytes(packet);
  m_generic = ParseStreamHeaderPacket(bytes);
  if (!m_generic) m_generic = ParseEmbeddedSamplesHeader(bytes);
  if (m_generic) {
    m_kind = OggStreamKind::Generic;
    return;
  }
  m_kind = OggStreamKind::Vorbis;
  if (!AddVorbisHeader(packet, 0)) m_kind = OggStreamKind::Unrecognised;
}

bool OggStreamInfo::AddVorbisHeader(const ogg_packet& packet, int index) {
  if (m_vorbisBroken || !m_vorbisHeaders[index].empty()) return false;
  ogg_packet copy = packet;
  copy.b_o_s = index == 0 ? 1 : 0;
  if (vorbis_synthesis_headerin(&m_vorbisInfo, &m_vorbisComment, &copy) != 0 ||
      (index == 0 && m_vorbisInfo.rate <= 0)) {
    m_vorbisBroken = true;
    return false;
  }
  const std::span<const uint8_t> bytes = Bytes(packet);
  m_vorbisHeaders[index].assign(bytes.begin(), bytes.end());
  return true;
}

bool OggStreamInfo::Playable() const {
  switch (m_kind) {
    case OggStreamKind::Vorbis:
      return !m_vorbisBroken && std::none_of(m_vorbisHeaders.begin(), m_vorbisHeaders.end(),
                                             [](const std::vector<uint8_t>& header) { return header.empty(); });
    case OggStreamKind::Generic:
      return true;
    case OggStreamKind::Unrecognised:
      break;
  }
  return false;
}

AM_MEDIA_TYPE OggStreamInfo::MediaType() const {
  if (m_kind == OggStreamKind::Generic) return MediaTypeFromStreamHeader(*m_generic);
  if (m_kind != OggStreamKind::Vorbis) return {};
  VORBISFORMAT format;
  format.nChannels = static_cast<uint32_t>(m_vorbisInfo.channels);
  format.nSamplesPerSec = static_cast<int32_t>(m_vorbisInfo.rate);
  format.nMinBitsPerSec = static_cast<int32_t>(m_vorbisInfo.bitrate_lower);
  format.nAvgBitsPerSec = static_cast<int32_t>(m_vorbisInfo.bitrate_nominal);
  format.nMaxBitsPerSec = static_cast<int32_t>(m_vorbisInfo.bitrate_upper);
  return MakeVorbisMediaType(format);
}

uint32_t OggStreamInfo::BufferBytes() const {
  if (m_kind == OggStreamKind::Vorbis) return kVorbisBufferBytes;
  if (!m_generic) return 0;
  return m_generic->kind == OggGenericKind::Text ? kTextBufferBytes : m_generic->bufferBytes;
}

// Video and audio marks follow the buffer size; held to 1 <= low <= high so that a small
// buffer can neither stop the reader for good nor leave it waiting for a level never reached.
size_t OggStreamInfo::QueueHighMark() const {
  if (m_kind == OggStreamKind::Vorbis) return kVorbisHighMark;
  if (!m_generic || m_generic->kind == OggGenericKind::Text) return 0;
  return std::max<size_t>(1, size_t{m_generic->bufferBytes} * 10 / 8192);
}

size_t OggStreamInfo::QueueLowMark() const {
  if (m_kind == OggStreamKind::Vorbis) return kVorbisLowMark;
  if (!m_generic || m_generic->kind == OggGenericKind::Text) return kTextLowMark;
  return std::clamp<size_t>(size_t{m_generic->bufferBytes} * 10 / 4096, 1, QueueHighMark());
}

REFERENCE_TIME OggStreamInfo::TimeFromGranule(int64_t granule) const {
  if (m_kind == OggStreamKind::Vorbis) return ScaleRounded(granule, kUnitsPerSecond, m_vorbisInfo.rate);
  if (m_kind == OggStreamKind::Generic) return m_generic->TimeFromGranule(granule);
  return -1;
}

REFERENCE_TIME OggStreamInfo::PageEndTime(const ogg_page& page) const {
  const int64_t granule = UsableGranule(ogg_page_granulepos(&page));
  if (granule < 0 || m_kind == OggStreamKind::Unrecognised) return -1;
  int64_t duration = 0;
  if (m_kind == OggStreamKind::Generic) {
    // The lacing values: a packet ends at each value below 255.
    const int segments = page.header[26];
    const unsigned char* lacing = page.header + 27;
    int last = segments - 1;
    while (last >= 0 && lacing[last] == 255) --last;
    int first = last - 1;
    while (first >= 0 && lacing[first] == 255) --first;
    const bool continued = (page.header[5] & 1) != 0;
    if (last >= 0 && (first >= 0 || !continued)) {
      size_t offset = 0, length = 0;
      for (int i = 0; i <= first; ++i) offset += lacing[i];
      for (int i = first + 1; i <= last; ++i) length += lacing[i];
      const std::span<const uint8_t> packet{page.body + offset, length};
      const std::optional<OggDataPacket> data = ParseDataPacket(packet);
      if (data && (packet[0] & 1) == 0) duration = data->duration;
    }
  }
  return TimeFromGranule(granule + duration);
}

long OggStreamInfo::VorbisBlockSize(const ogg_packet& packet) const {
  if (m_kind != OggStreamKind::Vorbis || !Playable()) return 0;
  ogg_packet copy = packet;
  const long size = vorbis_packet_blocksize(&m_vorbisInfo, &copy);
  return size > 0 ? size : 0;
}
