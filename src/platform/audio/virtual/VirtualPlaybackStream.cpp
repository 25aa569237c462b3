#include "platform/audio/virtual/VirtualPlaybackStream.h"

VirtualPlaybackStream::VirtualPlaybackStream(const WAVEFORMATEX& format, bool paced,
                                             std::unique_ptr<WavFileWriter> played)
    : m_blockBytes(format.nBlockAlign), m_clock(format.nSamplesPerSec, paced), m_played(std::move(played)) {
  m_clock.Start();
}

HRESULT VirtualPlaybackStream::SetFlushing(bool flushing) {
  m_clock.SetReleased(flushing);
  return S_OK;
}

HRESULT VirtualPlaybackStream::Write(std::span<const uint8_t> data) {
  const size_t frames = data.size() / m_blockBytes;
  if (frames == 0) return S_OK;
  if (!m_clock.QueueFrames(frames)) return S_FALSE;
  return m_played ? m_played->Write(data.first(frames * m_blockBytes)) : S_OK;
}

HRESULT VirtualPlaybackStream::Drain() { return m_clock.WaitUntilPlayed() ? S_OK : S_FALSE; }
