#include "platform/audio/virtual/FailingSignal.h"

#include <cerrno>
#include <string>

FailingSignal::FailingSignal(std::unique_ptr<VirtualSignal> signal, uint64_t frameLimit)
    : m_signal(std::move(signal)), m_frameLimit(frameLimit) {}

HRESULT FailingSignal::Read(uint8_t* output, size_t frames, size_t* framesRead) {
  if (output == nullptr || framesRead == nullptr) return E_POINTER;
  *framesRead = 0;
  if (m_framesRead + frames > m_frameLimit) {
    SetErrorInfo("The virtual capture device failed on purpose after " + std::to_string(m_framesRead) +
                 " frames (CORVOX_VIRTUAL_FAIL_AFTER).");
    return HResultFromErrno(EIO);
  }
  const HRESULT hr = m_signal->Read(output, frames, framesRead);
  if (SUCCEEDED(hr)) m_framesRead += *framesRead;
  return hr;
}
