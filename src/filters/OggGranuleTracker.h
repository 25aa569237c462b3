#pragma once
// Granule positions of the packets that do not end their page (libogg gives only the last one
// on a page the page's position): counted on from the packet before when the two follow each
// other by packet number. A Vorbis packet adds (previous block size + its block size) / 4
// samples, the first after the headers none; a generic packet starts where the one before
// ended. Packets whose position cannot be told this way get none and are skipped by the caller.
// Used by one delivery thread.

#include <cstdint>
#include <optional>

class OggGranuleTracker {
 public:
  // After a header packet with this packet number: the next packet starts at granule 0.
  void StartAtZero(int64_t headerPacketNumber);
  // After a start, a seek or a hole: nothing is known until a packet ends a page.
  void Forget();

  // `pageGranule` is libogg's granule position for the packet (-1 unless it ends its page);
  // `blockSize` 0 when the packet's size could not be told.
  std::optional<int64_t> NextVorbis(int64_t pageGranule, int64_t packetNumber, long blockSize);
  // `duration` in granule steps.
  std::optional<int64_t> NextGeneric(int64_t pageGranule, int64_t packetNumber, int64_t duration);

 private:
  std::optional<int64_t> Chain(int64_t pageGranule, int64_t packetNumber, int64_t step);

  bool m_known = false;
  int64_t m_granule = 0;
  int64_t m_packetNumber = 0;
  long m_blockSize = 0;    // Vorbis: of the packet before; 0 after the headers
  int64_t m_duration = 0;  // generic: of the packet before
};
