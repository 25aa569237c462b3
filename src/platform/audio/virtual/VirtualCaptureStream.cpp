#include "platform/audio/virtual/VirtualCaptureStream.h"

#include <algorithm>

VirtualCaptureStream::VirtualCaptureStream(const WAVEFORMATEX& format, std::unique_ptr<VirtualSignal> signal,
                                           bool paced)
    : m_blockBytes(format.nBlockAlign), m_signal(std::move(signal)), m_clock(format.nSamplesPerSec, paced) {}

HRESULT VirtualCaptureStream::Start() {
  m_clock.Start();
  return S_OK;
}

HRESULT VirtualCaptureStream::Pause() {
  m_clock.Pause();
  return S_OK;
}

HRESULT VirtualCaptureStream::Stop() {
  m_stopped = true;
  m_clock.SetReleased(true);
  return S_OK;
}

HRESULT VirtualCaptureStream::Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) {
  if (bytesRead == nullptr || endOfInput == nullptr) return E_POINTER;
  *bytesRead = 0;
  *endOfInput = false;
  const size_t frames = buffer.size() / m_blockBytes;
  if (frames == 0) return E_INVALIDARG;
  if (m_stopped) return S_FALSE;
  // Frames that a pause cut off from the last read come first.
  const size_t carried = std::min(frames, m_carry.size() / m_blockBytes);
  std::copy_n(m_carry.begin(), carried * m_blockBytes, buffer.begin());
  m_carry.erase(m_carry.begin(), m_carry.begin() + static_cast<long>(carried * m_blockBytes));
  size_t framesRead = 0;
  const HRESULT hr = m_signal->Read(buffer.data() + carried * m_blockBytes, frames - carried, &framesRead);
  if (FAILED(hr)) return hr;
  framesRead += carried;
  // The frames are "captured" over the time they last, so they are handed out at its end; a
  // pause or a stop cuts the read short with what was captured until then.
  const uint64_t captured = m_clock.WaitForFrames(framesRead);
  *bytesRead = captured * m_blockBytes;
  if (captured < framesRead) {
    m_carry.insert(m_carry.begin(), buffer.begin() + static_cast<long>(captured * m_blockBytes),
                   buffer.begin() + static_cast<long>(framesRead * m_blockBytes));
    return captured > 0 ? S_OK : S_FALSE;
  }
  *endOfInput = framesRead < frames;
  return S_OK;
}
