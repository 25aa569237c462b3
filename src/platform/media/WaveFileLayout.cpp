#include "platform/media/WaveFileLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kMaxFormatBytes = 64 * 1024;
// A data size the writer never filled in: the data runs to the end of the file.
constexpr uint32_t kSizeUnknown = 0xFFFFFFFF;

HRESULT Refuse(const std::string& path, const std::string& problem) {
  SetErrorInfo("The file " + path + " " + problem);
  return VFW_E_INVALID_FILE_FORMAT;
}

bool ReadExactly(std::FILE* file, uint64_t offset, void* buffer, size_t bytes) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(buffer, 1, bytes, file) == bytes;
}

}  // namespace

HRESULT ReadWaveFileLayout(std::FILE* file, const std::string& path, WaveFileLayout* layout) {
  if (file == nullptr || layout == nullptr) return E_POINTER;
  *layout = {};
  if (fseeko(file, 0, SEEK_END) != 0) return Refuse(path, "cannot be read to its end.");
  const off_t end = ftello(file);
  if (end < 0) return Refuse(path, "cannot be read to its end.");
  const uint64_t fileBytes = static_cast<uint64_t>(end);

  uint8_t header[12];
  if (fileBytes < sizeof header || !ReadExactly(file, 0, header, sizeof header) ||
      std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
    return Refuse(path, "is not a WAV file (no RIFF/WAVE header).");

  bool haveFormat = false, haveData = false;
  uint64_t position = sizeof header;
  while (position + 8 <= fileBytes && !(haveFormat && haveData)) {
    uint8_t chunk[8];
    if (!ReadExactly(file, position, chunk, sizeof chunk)) return Refuse(path, "cannot be read.");
    const uint32_t size = GetLe32(chunk + 4);
    const uint64_t body = position + 8;
    const uint64_t available = fileBytes - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
      layout->formatBlock.resize(static_cast<size_t>(std::min<uint64_t>({size, kMaxFormatBytes, available})));
      if (!ReadExactly(file, body, layout->formatBlock.data(), layout->formatBlock.size()))
        return Refuse(path, "cannot be read.");
      const std::optional<WAVEFORMATEX> format = DecodeWaveFormat(layout->formatBlock);
      if (!format) return Refuse(path, "has a format chunk that is too short.");
      layout->format = *format;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
      layout->dataOffset = body;
      layout->declaredDataBytes = size == kSizeUnknown ? available : size;
      layout->dataBytes = std::min<uint64_t>(layout->declaredDataBytes, available);
      haveData = true;
    }
    position = body + size + (size & 1u);
  }
  if (!haveFormat) return Refuse(path, "has no format chunk.");
  if (!haveData) return Refuse(path, "has no data chunk.");
  return S_OK;
}
