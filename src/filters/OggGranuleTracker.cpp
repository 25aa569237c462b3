#include "filters/OggGranuleTracker.h"

void OggGranuleTracker::StartAtZero(int64_t headerPacketNumber) {
  m_known = true;
  m_granule = 0;
  m_packetNumber = headerPacketNumber;
  m_blockSize = 0;
  m_duration = 0;
}

void OggGranuleTracker::Forget() { m_known = false; }

std::optional<int64_t> OggGranuleTracker::Chain(int64_t pageGranule, int64_t packetNumber, int64_t step) {
  std::optional<int64_t> granule;
  if (pageGranule != -1)
    granule = pageGranule;
  else if (m_known && step >= 0 && packetNumber == m_packetNumber + 1)
    granule = m_granule + step;
  m_known = granule.has_value();
  if (m_known) m_granule = *granule;
  m_packetNumber = packetNumber;
  return granule;
}

std::optional<int64_t> OggGranuleTracker::NextVorbis(int64_t pageGranule, int64_t packetNumber, long blockSize) {
  const int64_t step = blockSize <= 0 ? -1 : m_blockSize == 0 ? 0 : (int64_t{m_blockSize} + blockSize) / 4;
  const std::optional<int64_t> granule = Chain(pageGranule, packetNumber, step);
  m_blockSize = blockSize;
  // A packet of unknown size leaves the next one nothing to count from.
  if (blockSize <= 0) m_known = false;
  return granule;
}

std::optional<int64_t> OggGranuleTracker::NextGeneric(int64_t pageGranule, int64_t packetNumber, int64_t duration) {
  const std::optional<int64_t> granule = Chain(pageGranule, packetNumber, m_duration);
  m_duration = duration;
  return granule;
}
