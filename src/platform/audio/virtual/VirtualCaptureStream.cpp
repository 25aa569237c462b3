#include "platform/audio/virtual/VirtualCaptureStream.h"

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
  m_clock.SetReleased(true);
  return S_OK;
}

HRESULT VirtualCaptureStream::Read(std::span<uint8_t> buffer, size_t* bytesRead, bool* endOfInput) {
  if (bytesRead == nullptr || endOfInput == nullptr) return E_POINTER;
  *bytesRead = 0;
  *endOfInput = false;
  const size_t frames = buffer.size() / m_blockBytes;
  if (frames == 0) return E_INVALIDARG;
  size_t framesRead = 0;
  const HRESULT hr = m_signal->Read(buffer.data(), frames, &framesRead);
  if (FAILED(hr)) return hr;
  // The frames are "captured" over the time they last, so they are handed out at its end; a
  // stop cuts the read short with what was captured until then.
  const uint64_t captured = m_clock.WaitForFrames(framesRead);
  *bytesRead = captured * m_blockBytes;
  if (captured < framesRead) return captured > 0 ? S_OK : S_FALSE;
  *endOfInput = framesRead < frames;
  return S_OK;
}
