#pragma once
// Where a RIFF/WAVE file keeps its format and its audio. Chunks are walked by their sizes
// (odd sizes padded) up to the real end of the file; the RIFF size is not trusted. Any format
// tag is accepted: readers of particular encodings check the format themselves.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/media/HResult.h"
#include "platform/media/WaveFormat.h"

struct WaveFileLayout {
  std::vector<uint8_t> formatBlock;  // the "fmt " chunk's body as stored (at most 64 KiB)
  WAVEFORMATEX format;               // decoded from formatBlock
  uint64_t dataOffset = 0;
  uint64_t dataBytes = 0;          // the data present in the file
  uint64_t declaredDataBytes = 0;  // what the data chunk's size says; more when the file was cut off
};

// Reads the layout of the open file; `path` names it in messages. VFW_E_INVALID_FILE_FORMAT
// with a readable text (SetErrorInfo) for anything that is not a WAV file with a format and a
// data chunk. The file position is left undefined.
HRESULT ReadWaveFileLayout(std::FILE* file, const std::string& path, WaveFileLayout* layout);
