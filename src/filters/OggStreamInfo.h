#pragma once
// What an Ogg logical stream is, learnt from its header packets: Vorbis (identification,
// comment and codebook headers, checked by libvorbis), a generic stream of the multiplexer's
// layout or of the older embedded-samples layout, or unrecognised. It also keeps the stream's
// comments, the Vorbis header packets for resending, and turns granule positions into times.
//
// Filled on the control thread while the file is scanned; afterwards only read, by any thread.

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "filters/OggCommentList.h"
#include "filters/OggGenericStream.h"
#include "platform/media/MediaType.h"

enum class OggStreamKind : uint8_t { Vorbis = 0, Generic = 1, Unrecognised = 255 };

class OggStreamInfo {
 public:
  static constexpr int kVorbisHeaderCount = 3;

  OggStreamInfo();
  ~OggStreamInfo();
  OggStreamInfo(const OggStreamInfo&) = delete;
  OggStreamInfo& operator=(const OggStreamInfo&) = delete;

  // The switched-off entry of a subtitle group: a text stream with "LANGUAGE" = "off".
  void MakeTextPlaceholder();

  // Feeds the stream's packets from its start, in order. Header packets (odd first byte) are
  // parsed by type: 1 says what the stream is, 3 holds the comments, 5 the Vorbis codebooks.
  // The first other packet completes the headers; later packets are ignored.
  void AddPacket(const ogg_packet& packet);
  bool HeadersComplete() const { return m_complete; }
  // Feeds the packets of one page of the stream's start, read through `ogg` (the stream's
  // libogg state), until the headers are complete; a stream ending within its headers
  // completes them.
  void ScanPage(ogg_stream_state* ogg, ogg_page* page);
  // A known kind with every header it needs, so it can have a pin.
  bool Playable() const;

  OggStreamKind Kind() const { return m_kind; }
  // The generic stream header; null for other kinds.
  const OggStreamHeader* GenericHeader() const { return m_generic ? &*m_generic : nullptr; }
  AM_MEDIA_TYPE MediaType() const;
  // Bytes a delivery buffer must hold.
  uint32_t BufferBytes() const;
  // Pages queued before the reader waits (0: it never waits for this stream), and below which
  // a waiting reader goes on.
  size_t QueueHighMark() const;
  size_t QueueLowMark() const;

  // The time a granule position stands for, rounded to nearest; -1 for an unrecognised stream.
  REFERENCE_TIME TimeFromGranule(int64_t granule) const;
  // The time at which the page's last complete packet ends: its granule position, for a
  // generic stream plus that packet's duration when the packet begins on this page. -1 for a
  // page on which no packet ends or of an unrecognised stream.
  REFERENCE_TIME PageEndTime(const ogg_page& page) const;
  // The block size of a Vorbis audio packet; 0 when it cannot tell.
  long VorbisBlockSize(const ogg_packet& packet) const;

  const OggCommentList& Comments() const { return m_comments; }
  // The identification, comment and codebook headers as they came, for resending.
  const std::array<std::vector<uint8_t>, kVorbisHeaderCount>& VorbisHeaders() const { return m_vorbisHeaders; }

 private:
  void AddTypeOnePacket(const ogg_packet& packet);
  bool AddVorbisHeader(const ogg_packet& packet, int index);

  OggStreamKind m_kind = OggStreamKind::Unrecognised;
  bool m_complete = false;
  bool m_typeOneSeen = false;
  bool m_vorbisBroken = false;
  std::optional<OggStreamHeader> m_generic;
  // vorbis_info holds the codec set-up vorbis_packet_blocksize reads; libvorbis does not
  // change it there, but takes no const pointer.
  mutable vorbis_info m_vorbisInfo;
  vorbis_comment m_vorbisComment;
  std::array<std::vector<uint8_t>, kVorbisHeaderCount> m_vorbisHeaders;
  OggCommentList m_comments;
};
