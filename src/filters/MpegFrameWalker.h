#pragma once
// Follows an MPEG audio (Layer III) byte stream that arrives in pieces of any size and says
// where its frames start, so a writer can cut the stream between frames. It starts at a frame
// start. Where a frame is due but no header is, the frame before still ends there; the bytes
// after it are passed over until a header appears again (one cut off by the end of a piece
// meanwhile is not seen). A value type: copy it to come back to an earlier state. One thread at a time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "filters/MpegAudioFrameHeader.h"

class MpegFrameWalker {
 public:
  // Takes the next piece of the stream; returns the offsets in it where frames start.
  std::vector<size_t> Walk(std::span<const uint8_t> piece);

 private:
  // Bytes of the current frame still to come before the next frame starts.
  uint64_t m_untilNextFrame = 0;
  // The first bytes of a frame header that the end of the last piece cut off.
  uint8_t m_heldHeader[kMpegAudioFrameHeaderBytes] = {};
  size_t m_held = 0;
  // False while bytes are passed over in search of a header.
  bool m_inStep = true;
};
