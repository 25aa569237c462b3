#include "platform/audio/virtual/WavFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/audio/PcmSample.h"
#include "platform/media/WaveFileLayout.h"
#include "platform/shell/ErrnoMessage.h"

namespace {

constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
constexpr size_t kExtensibleFormatBytes = 40;
// More channels than any capture device offers; bounds the reader's buffers.
constexpr unsigned kMaxChannels = 64;
// KSDATAFORMAT_SUBTYPE_PCM as stored in the file.
constexpr uint8_t kPcmSubformat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

HRESULT Refuse(const std::string& path, const std::string& problem) {
  SetErrorInfo("The input file " + path + " " + problem);
  return VFW_E_INVALID_FILE_FORMAT;
}

// The file's format as a plain PCM record; a text saying what is wrong otherwise.
std::optional<WAVEFORMATEX> PcmFormatOf(const WaveFileLayout& layout, std::string* problem) {
  WAVEFORMATEX format = layout.format;
  char text[120];
  if (format.wFormatTag == kWaveFormatExtensible) {
    const std::vector<uint8_t>& block = layout.formatBlock;
    if (block.size() < kExtensibleFormatBytes || format.cbSize < 22 ||
        std::memcmp(block.data() + 24, kPcmSubformat, sizeof kPcmSubformat) != 0) {
      *problem = "is not PCM audio (an extensible format without the PCM subformat).";
      return std::nullopt;
    }
    format.wFormatTag = WAVE_FORMAT_PCM;
  } else if (format.wFormatTag != WAVE_FORMAT_PCM) {
    std::snprintf(text, sizeof text, "is not PCM audio (format tag 0x%04X).", format.wFormatTag);
    *problem = text;
    return std::nullopt;
  }
  if (!IsPcmSampleSize(format.wBitsPerSample)) {
    std::snprintf(text, sizeof text, "uses %u bits per sample; 8, 16, 24 or 32 can be read.", format.wBitsPerSample);
    *problem = text;
    return std::nullopt;
  }
  if (format.nChannels > kMaxChannels) {
    std::snprintf(text, sizeof text, "has %u channels; at most %u can be read.", format.nChannels, kMaxChannels);
    *problem = text;
    return std::nullopt;
  }
  if (format.nChannels == 0 || format.nSamplesPerSec == 0 ||
      format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) {
    std::snprintf(text, sizeof text, "has an inconsistent format (%u channels, %u Hz, block alignment %u).",
                  format.nChannels, format.nSamplesPerSec, format.nBlockAlign);
    *problem = text;
    return std::nullopt;
  }
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  format.cbSize = 0;
  return format;
}

}  // namespace

WavFileReader::WavFileReader(StdioFile file, std::string path, const WAVEFORMATEX& format, uint64_t frameCount)
    : m_file(std::move(file)),
      m_path(std::move(path)),
      m_format(format),
      m_frameCount(frameCount),
      m_framesLeft(frameCount) {}

HRESULT WavFileReader::Open(const std::string& path, std::unique_ptr<WavFileReader>* reader) {
  if (reader == nullptr) return E_POINTER;
  reader->reset();
  StdioFile file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    const int error = errno;
    SetErrorInfo(ErrnoMessage("Cannot open the input file", path, error));
    return HResultFromErrno(error);
  }
  WaveFileLayout layout;
  const HRESULT hr = ReadWaveFileLayout(file.get(), path, &layout);
  if (FAILED(hr)) return hr;
  std::string problem;
  const std::optional<WAVEFORMATEX> format = PcmFormatOf(layout, &problem);
  if (!format) return Refuse(path, problem);
  if (fseeko(file.get(), static_cast<off_t>(layout.dataOffset), SEEK_SET) != 0) return Refuse(path, "cannot be read.");
  reader->reset(new WavFileReader(std::move(file), path, *format, layout.dataBytes / format->nBlockAlign));
  return S_OK;
}

HRESULT WavFileReader::Read(uint8_t* output, size_t frames, size_t* framesRead) {
  if (output == nullptr || framesRead == nullptr) return E_POINTER;
  *framesRead = 0;
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(frames, m_framesLeft));
  if (wanted == 0) return S_OK;
  const size_t bytes = std::fread(output, 1, wanted * m_format.nBlockAlign, m_file.get());
  if (bytes < wanted * m_format.nBlockAlign && std::ferror(m_file.get())) {
    const int error = errno != 0 ? errno : EIO;
    SetErrorInfo(ErrnoMessage("Cannot read the input file", m_path, error));
    return HResultFromErrno(error);
  }
  *framesRead = bytes / m_format.nBlockAlign;
  // A file that shrank while being read ends here.
  m_framesLeft = *framesRead < wanted ? 0 : m_framesLeft - *framesRead;
  return S_OK;
}
