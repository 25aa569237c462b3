#pragma once
// Writes what the virtual playback device played as a canonical 44-byte-header PCM WAV file,
// streamed: the header's sizes are filled in when the file is closed. Sizes beyond the
// format's 32-bit fields are written as their largest value. One thread at a time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/audio/virtual/StdioFile.h"
#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

class WavFileWriter {
 public:
  // Creates (or truncates) the file; its errno code with a readable text on failure.
  static HRESULT Create(const std::string& path, const WAVEFORMATEX& format, std::unique_ptr<WavFileWriter>* writer);
  // Closes the file if Close was not called; a failure then goes unreported.
  ~WavFileWriter();

  HRESULT Write(std::span<const uint8_t> data);
  // Fills in the header's sizes and closes the file.
  HRESULT Close();

 private:
  WavFileWriter(StdioFile file, std::string path, const WAVEFORMATEX& format);
  HRESULT Fail(const char* action);

  StdioFile m_file;
  std::string m_path;
  WAVEFORMATEX m_format;
  uint64_t m_dataBytes = 0;
};
