#pragma once
// Reads integer PCM frames from a RIFF/WAVE file as a stream: the header is parsed once, the
// data is read in whatever pieces the caller asks for, so memory does not grow with length.
//
// The chunks are found by ReadWaveFileLayout. Format tag 1 and WAVE_FORMAT_EXTENSIBLE with the PCM subformat are
// read, with 8-, 16-, 24- or 32-bit containers. A data chunk that claims more than the file
// holds (a recording that was cut off) is read up to the last whole frame present.
// One thread at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/virtual/StdioFile.h"
#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

class WavFileReader {
 public:
  // A file that is missing or unreadable gives its errno code; one that is not a WAV file of
  // readable PCM gives VFW_E_INVALID_FILE_FORMAT. Either way with a readable text through
  // SetErrorInfo.
  static HRESULT Open(const std::string& path, std::unique_ptr<WavFileReader>* reader);

  // A plain PCM record (tag 1, no extra bytes) also for extensible files.
  const WAVEFORMATEX& Format() const { return m_format; }
  uint64_t FrameCount() const { return m_frameCount; }

  // Reads the next frames; fewer than asked only at the end of the data.
  HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead);

 private:
  WavFileReader(StdioFile file, std::string path, const WAVEFORMATEX& format, uint64_t frameCount);

  StdioFile m_file;
  std::string m_path;
  WAVEFORMATEX m_format;
  uint64_t m_frameCount;
  uint64_t m_framesLeft;
};
