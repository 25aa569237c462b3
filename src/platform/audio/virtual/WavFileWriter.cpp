#include "platform/audio/virtual/WavFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/media/WaveFileHeader.h"
#include "platform/shell/ErrnoMessage.h"

namespace {

constexpr size_t kPcmFormatBytes = 16;  // the plain PCM record, without cbSize
constexpr uint64_t kLargestData = 0xFFFFFFFFu - (kWaveHeaderBytesBesideFormat + kPcmFormatBytes);

std::vector<uint8_t> MakeHeader(const WAVEFORMATEX& format, uint64_t dataBytes) {
  const std::vector<uint8_t> record = EncodeWaveFormat(format);
  return MakeWaveFileHeader(std::span(record).first(kPcmFormatBytes),
                            static_cast<uint32_t>(std::min(dataBytes, kLargestData)), WaveDataPad::ToEvenLength);
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
  const std::vector<uint8_t> header = MakeHeader(format, 0);
  if (std::fwrite(header.data(), 1, header.size(), created->m_file.get()) != header.size())
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
  const std::vector<uint8_t> header = MakeHeader(m_format, m_dataBytes);
  const bool padded = (m_dataBytes & 1u) == 0 || std::fputc(0, m_file.get()) != EOF;
  const bool written = padded && fseeko(m_file.get(), 0, SEEK_SET) == 0 &&
                       std::fwrite(header.data(), 1, header.size(), m_file.get()) == header.size();
  HRESULT hr = written ? S_OK : Fail("Cannot finish the output file");
  if (std::fclose(m_file.release()) != 0 && SUCCEEDED(hr)) hr = Fail("Cannot finish the output file");
  return hr;
}

HRESULT WavFileWriter::Fail(const char* action) {
  const int error = errno != 0 ? errno : EIO;
  SetErrorInfo(ErrnoMessage(action, m_path, error));
  return HResultFromErrno(error);
}
