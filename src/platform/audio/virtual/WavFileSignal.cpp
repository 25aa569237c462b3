#include "platform/audio/virtual/WavFileSignal.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t kPieceFrames = 4096;

}  // namespace

WavFileSignal::WavFileSignal(std::unique_ptr<WavFileReader> reader, const WAVEFORMATEX& deviceFormat)
    : m_reader(std::move(reader)),
      m_deviceFormat(deviceFormat),
      m_sameFormat(m_reader->Format().nChannels == deviceFormat.nChannels &&
                   m_reader->Format().wBitsPerSample == deviceFormat.wBitsPerSample),
      m_converter(m_reader->Format(), deviceFormat) {
  if (!m_sameFormat) m_fileFrames.resize(kPieceFrames * m_reader->Format().nBlockAlign);
}

HRESULT WavFileSignal::Open(const std::string& path, const WAVEFORMATEX& deviceFormat,
                            std::unique_ptr<VirtualSignal>* signal) {
  if (signal == nullptr) return E_POINTER;
  signal->reset();
  std::unique_ptr<WavFileReader> reader;
  const HRESULT hr = WavFileReader::Open(path, &reader);
  if (FAILED(hr)) return hr;
  if (reader->Format().nSamplesPerSec != deviceFormat.nSamplesPerSec) {
    char text[120];
    std::snprintf(text, sizeof text, "The input file runs at %u Hz but the device is set to %u Hz.",
                  reader->Format().nSamplesPerSec, deviceFormat.nSamplesPerSec);
    SetErrorInfo(text);
    return VFW_E_TYPE_NOT_ACCEPTED;
  }
  signal->reset(new WavFileSignal(std::move(reader), deviceFormat));
  return S_OK;
}

HRESULT WavFileSignal::Read(uint8_t* output, size_t frames, size_t* framesRead) {
  if (output == nullptr || framesRead == nullptr) return E_POINTER;
  if (m_sameFormat) return m_reader->Read(output, frames, framesRead);
  *framesRead = 0;
  while (*framesRead < frames) {
    size_t got = 0;
    const HRESULT hr = m_reader->Read(m_fileFrames.data(), std::min(kPieceFrames, frames - *framesRead), &got);
    if (FAILED(hr)) return hr;
    if (got == 0) break;
    m_converter.Convert(m_fileFrames.data(), output + *framesRead * m_deviceFormat.nBlockAlign, got);
    *framesRead += got;
  }
  return S_OK;
}
