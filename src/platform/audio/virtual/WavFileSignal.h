#pragma once
// A WAV file as the virtual device's input, converted on the fly to the device's channel count
// and sample size. The file is read in pieces of a fixed size, never whole.

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/PcmConverter.h"
#include "platform/audio/virtual/VirtualSignal.h"
#include "platform/audio/virtual/WavFileReader.h"

class WavFileSignal : public VirtualSignal {
 public:
  // Fails as WavFileReader::Open does, or with VFW_E_TYPE_NOT_ACCEPTED when the file's sample
  // rate differs from the device's (no resampling), with a readable text through SetErrorInfo.
  static HRESULT Open(const std::string& path, const WAVEFORMATEX& deviceFormat,
                      std::unique_ptr<VirtualSignal>* signal);

  HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead) override;

 private:
  WavFileSignal(std::unique_ptr<WavFileReader> reader, const WAVEFORMATEX& deviceFormat);

  std::unique_ptr<WavFileReader> m_reader;
  WAVEFORMATEX m_deviceFormat;
  bool m_sameFormat;
  PcmConverter m_converter;
  std::vector<uint8_t> m_fileFrames;  // one piece in the file's format, reused
};
