#include "filters/MpegFrameWalker.h"

#include <algorithm>

std::vector<size_t> MpegFrameWalker::Walk(std::span<const uint8_t> piece) {
  std::vector<size_t> starts;
  uint64_t at = 0;
  if (m_held > 0) {
    // A frame started just before this piece; its header ends here.
    const size_t taken = std::min(kMpegAudioFrameHeaderBytes - m_held, piece.size());
    std::copy_n(piece.begin(), taken, m_heldHeader + m_held);
    if (m_held + taken < kMpegAudioFrameHeaderBytes) {
      m_held += taken;
      return starts;
    }
    const size_t held = m_held;
    m_held = 0;
    const auto header = ParseMpegAudioFrameHeader(std::span<const uint8_t, kMpegAudioFrameHeaderBytes>(m_heldHeader));
    m_inStep = header.has_value();
    // Out of step: look for the next header from here on.
    at = header ? header->FrameBytes() - held : 0;
  } else {
    at = m_untilNextFrame;
  }
  while (at < piece.size()) {
    if (at + kMpegAudioFrameHeaderBytes > piece.size()) {
      m_untilNextFrame = 0;
      // Out of step, a header cut off here is looked for again at the next piece's start.
      if (!m_inStep) return starts;
      starts.push_back(at);
      m_held = piece.size() - at;
      std::copy_n(piece.begin() + static_cast<long>(at), m_held, m_heldHeader);
      return starts;
    }
    const auto header = ParseMpegAudioFrameHeader(piece.subspan(at).first<kMpegAudioFrameHeaderBytes>());
    // Where a frame is due, the one before ends: a place to cut even when no header follows.
    if (m_inStep || header) starts.push_back(at);
    m_inStep = header.has_value();
    at += header ? header->FrameBytes() : 1;
  }
  m_untilNextFrame = at - piece.size();
  return starts;
}
