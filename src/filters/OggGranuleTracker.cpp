#include "filters/OggGranuleTracker.h"

void OggGranuleTracker::StartAtZero(int64_t headerPacketNumber) {
  m_known = true;
  m_afterHeaders = true;
  m_granule = 0;
  m_packetNumber = headerPacketNumber;
  m_size = -1;
}

void OggGranuleTracker::Forget() { m_known = false; }

std::optional<int64_t> OggGranuleTracker::Step(int64_t size, int64_t nextSize) const {
  if (!m_vorbis) return size >= 0 ? std::optional<int64_t>(size) : std::nullopt;
  if (size <= 0 || nextSize <= 0) return std::nullopt;
  return (size + nextSize) / 4;
}

void OggGranuleTracker::AssignPage(std::span<OggPacketPosition> packets) {
  for (OggPacketPosition& packet : packets) {
    if (packet.pageGranule != -1) {
      packet.granule = packet.pageGranule;
    } else if (m_known && packet.packetNumber == m_packetNumber + 1) {
      // The first packet after the headers starts at 0 (a Vorbis one yields no samples).
      const std::optional<int64_t> step = m_afterHeaders ? std::optional<int64_t>(0) : Step(m_size, packet.size);
      if (step) packet.granule = m_granule + *step;
    }
    m_known = packet.granule.has_value();
    m_afterHeaders = false;
    if (m_known) m_granule = *packet.granule;
    m_packetNumber = packet.packetNumber;
    m_size = packet.size;
  }
  for (size_t i = packets.size(); i-- > 1;) {
    OggPacketPosition& packet = packets[i - 1];
    const OggPacketPosition& next = packets[i];
    if (packet.granule || !next.granule || next.packetNumber != packet.packetNumber + 1) continue;
    const std::optional<int64_t> step = Step(packet.size, next.size);
    if (step) packet.granule = *next.granule - *step;
  }
}
