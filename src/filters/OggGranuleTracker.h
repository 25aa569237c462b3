#pragma once
// Granule positions of the packets that do not end their page (libogg gives only the last one
// on a page the page's position). Counted on from the packet before when the two follow each
// other by packet number: a Vorbis packet adds (previous block size + its block size) / 4
// samples, the first after the headers none; a generic packet starts where the one before
// ended. Where nothing is known before (after a seek or a hole), the packets of a page are
// counted back from the page's position, so a seek does not lose the packets of the first
// page. A packet whose position cannot be told either way has none and is skipped.
// Used by one delivery thread.

#include <cstdint>
#include <optional>
#include <span>

// A granule position from a file, or -1 when it is none or beyond any real stream (2^62), so
// that counting with it cannot overflow.
inline int64_t UsableGranule(int64_t granule) { return granule >= 0 && granule <= (int64_t{1} << 62) ? granule : -1; }

struct OggPacketPosition {
  int64_t pageGranule = -1;  // libogg's: -1 unless the packet ends its page
  int64_t packetNumber = 0;
  // Vorbis: the block size; generic: the duration in granule steps. Negative when unknown.
  int64_t size = -1;
  std::optional<int64_t> granule;  // filled in
};

class OggGranuleTracker {
 public:
  explicit OggGranuleTracker(bool vorbis = true) : m_vorbis(vorbis) {}

  // After a header packet with this packet number: the next packet starts at granule 0.
  void StartAtZero(int64_t headerPacketNumber);
  // After a start, a seek or a hole: nothing is known until a packet ends a page.
  void Forget();

  // The packets that one page completes, in order.
  void AssignPage(std::span<OggPacketPosition> packets);

 private:
  // Granule steps from a packet of `size` to the next of `nextSize`; nothing when unknown.
  std::optional<int64_t> Step(int64_t size, int64_t nextSize) const;

  bool m_vorbis;
  bool m_known = false;
  bool m_afterHeaders = false;
  int64_t m_granule = 0;
  int64_t m_packetNumber = 0;
  int64_t m_size = -1;
};
