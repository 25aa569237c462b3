#include "platform/audio/virtual/VirtualPlaybackStream.h"

#include <algorithm>

VirtualPlaybackStream::VirtualPlaybackStream(const WAVEFORMATEX& format, bool paced,
                                             std::unique_ptr<WavFileWriter> played)
    : m_blockBytes(format.nBlockAlign), m_clock(format.nSamplesPerSec, paced), m_played(std::move(played)) {
  m_clock.Start();
}

VirtualPlaybackStream::~VirtualPlaybackStream() {
  std::lock_guard lock(m_mutex);
  KeepPlayed();
}

HRESULT VirtualPlaybackStream::SetFlushing(bool flushing) {
  // Released first, so a write waiting for the device returns before the lock is taken here.
  m_clock.SetReleased(flushing);
  std::lock_guard lock(m_mutex);
  m_flushing = flushing;
  if (flushing) {
    KeepPlayed();
    m_clock.DropQueued();
  }
  return S_OK;
}

HRESULT VirtualPlaybackStream::Write(std::span<const uint8_t> data) {
  const size_t frames = data.size() / m_blockBytes;
  if (frames == 0) return S_OK;
  if (!m_clock.WaitUntilPlayed()) return S_FALSE;
  std::lock_guard lock(m_mutex);
  if (m_flushing) return S_FALSE;
  HRESULT hr = KeepPlayed();  // all of it: the wait above saw it played
  if (FAILED(hr)) return hr;
  if (!m_clock.QueueFrames(frames)) return S_FALSE;
  m_pending.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(frames * m_blockBytes));
  return S_OK;
}

HRESULT VirtualPlaybackStream::Drain() {
  if (!m_clock.WaitUntilPlayed()) return S_FALSE;
  std::lock_guard lock(m_mutex);
  return m_flushing ? S_FALSE : KeepPlayed();
}

uint64_t VirtualPlaybackStream::UnplayedFrames() { return m_clock.UnplayedFrames(); }

HRESULT VirtualPlaybackStream::KeepPlayed() {
  const size_t pendingFrames = m_pending.size() / m_blockBytes;
  const size_t unplayed = static_cast<size_t>(std::min<uint64_t>(m_clock.UnplayedFrames(), pendingFrames));
  const size_t playedBytes = (pendingFrames - unplayed) * m_blockBytes;
  HRESULT hr = S_OK;
  if (m_played && playedBytes > 0) hr = m_played->Write({m_pending.data(), playedBytes});
  m_pending.clear();
  return hr;
}
