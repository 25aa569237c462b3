#include "platform/audio/virtual/WavFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/shell/ErrnoMessage.h"

namespace {

constexpr size_t kHeaderBytes = 44;
constexpr uint64_t kLargestChunk = 0xFFFFFFFFu;

void PutHeader(uint8_t* header, const WAVEFORMATEX& format, uint64_t dataBytes) {
  const uint32_t data = static_cast<uint32_t>(std::min(dataBytes, kLargestChunk - kHeaderBytes));
  // RIFF size: everything after its own 8 bytes, with the pad byte of an odd data chunk.
  std::memcpy(header, "RIFF", 4);
  PutLe32(header + 4, data + (data & 1u) + (kHeaderBytes - 8));
  std::memcpy(header + 8, "WAVEfmt ", 8);
  PutLe32(header + 16, 16);
  PutLe16(header + 20, WAVE_FORMAT_PCM);
  PutLe16(header + 22, format.nChannels);
  PutLe32(header + 24, format.nSamplesPerSec);
  PutLe32(header + 28, format.nAvgBytesPerSec);
  PutLe16(header + 32, format.nBlockAlign);
  PutLe16(header + 34, format.wBitsPerSample);
  std::memcpy(header + 36, "data", 4);
  PutLe32(header + 40, data);
}

}  // namespace

WavFileWriter::WavFileWriter(StdioFile file, std::string path, const WAVEFORMATEX& format)
    : m_file(std::move(file)), m_path(std::move(path)), m_format(format) {}

WavFileWriter::~WavFileWriter() { Close(); }

HRESULT WavFileWriter::Create(const std::string& path, const WAVEFORMATEX& format,
                              std::unique_ptr<WavFileWriter>* writer) {
  if (writer == nullptr) return E_POINTER;
  writer->reset();
  StdioFile file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    const int error = errno;
    SetErrorInfo(ErrnoMessage("Cannot create the output file", path, error));
    return HResultFromErrno(error);
  }
  std::unique_ptr<WavFileWriter> created(new WavFileWriter(std::move(file), path, format));
  uint8_t header[kHeaderBytes];
  PutHeader(header, format, 0);
  if (std::fwrite(header, 1, sizeof header, created->m_file.get()) != sizeof header)
    return created->Fail("Cannot write the output file");
  *writer = std::move(created);
  return S_OK;
}

HRESULT WavFileWriter::Write(std::span<const uint8_t> data) {
  if (!m_file) return E_UNEXPECTED;
  if (std::fwrite(data.data(), 1, data.size(), m_file.get()) != data.size())
    return Fail("Cannot write the output file");
  m_dataBytes += data.size();
  return S_OK;
}

HRESULT WavFileWriter::Close() {
  if (!m_file) return S_OK;
  uint8_t header[kHeaderBytes];
  PutHeader(header, m_format, m_dataBytes);
  const bool padded = (m_dataBytes & 1u) == 0 || std::fputc(0, m_file.get()) != EOF;
  const bool written = padded && fseeko(m_file.get(), 0, SEEK_SET) == 0 &&
                       std::fwrite(header, 1, sizeof header, m_file.get()) == sizeof header;
  HRESULT hr = written ? S_OK : Fail("Cannot finish the output file");
  if (std::fclose(m_file.release()) != 0 && SUCCEEDED(hr)) hr = Fail("Cannot finish the output file");
  return hr;
}

HRESULT WavFileWriter::Fail(const char* action) {
  const int error = errno != 0 ? errno : EIO;
  SetErrorInfo(ErrnoMessage(action, m_path, error));
  return HResultFromErrno(error);
}
