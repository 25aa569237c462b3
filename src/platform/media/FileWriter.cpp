#include "platform/media/FileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/media/FileParts.h"

class CFileWriter::InputPin : public CBaseInputPin, public IStream, public IFileContinuation {
 public:
  explicit InputPin(CFileWriter* writer) : CBaseInputPin(writer, "in"), m_writer(writer) {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override { return type ? S_OK : E_POINTER; }

  HRESULT Receive(IMediaSample* sample) override {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    const long length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0, end = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &end)) && start >= 0;
    uint64_t offset;
    {
      std::lock_guard lock(m_writer->m_fileMutex);
      offset = timed ? static_cast<uint64_t>(start) : m_writer->m_position;
    }
    return m_writer->WriteAt(offset, data, static_cast<size_t>(length));
  }

  HRESULT EndOfStream() override {
    const HRESULT hr = CBaseInputPin::EndOfStream();
    if (hr != S_OK) return hr;
    return m_writer->NotifyEvent(EC_COMPLETE, S_OK, 0);
  }

  HRESULT Seek(int64_t move, STREAM_SEEK origin, uint64_t* newPosition) override {
    std::lock_guard lock(m_writer->m_fileMutex);
    if (m_writer->m_fd < 0) return E_UNEXPECTED;
    int64_t base = 0;
    if (origin == STREAM_SEEK_CUR) base = static_cast<int64_t>(m_writer->m_position);
    if (origin == STREAM_SEEK_END) {
      const off_t size = lseek(m_writer->m_fd, 0, SEEK_END);
      if (size < 0) return HResultFromErrno(errno);
      base = size;
    }
    if (base + move < 0) return E_INVALIDARG;
    m_writer->m_position = static_cast<uint64_t>(base + move);
    if (newPosition) *newPosition = m_writer->m_position;
    return S_OK;
  }

  HRESULT Write(const void* data, unsigned long length, unsigned long* written) override {
    if (data == nullptr && length > 0) return E_POINTER;
    uint64_t offset;
    {
      std::lock_guard lock(m_writer->m_fileMutex);
      offset = m_writer->m_position;
    }
    const HRESULT hr = m_writer->WriteAt(offset, static_cast<const uint8_t*>(data), length);
    if (written) *written = SUCCEEDED(hr) ? length : 0;
    return hr;
  }

  HRESULT ContinueInNextFile() override { return m_writer->ContinueInNextPart(); }

  // The file is opened write-only: reading back is not offered.
  HRESULT Read(void*, unsigned long, unsigned long* read) override {
    if (read) *read = 0;
    return E_NOTIMPL;
  }

 private:
  CFileWriter* m_writer;
};

CFileWriter::CFileWriter()
    : CBaseFilter(CLSID_FileWriter), CFileSinkName(this), m_input(std::make_unique<InputPin>(this)) {}

CFileWriter::~CFileWriter() { CloseFile(); }

int CFileWriter::GetPinCount() { return 1; }

CBasePin* CFileWriter::GetPin(int n) { return n == 0 ? m_input.get() : nullptr; }

uint32_t CFileWriter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

HRESULT CFileWriter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (m_State == State_Stopped) {
    if (FileName().empty()) {
      SetErrorInfo("No output file was given to the file writer.");
      return E_UNEXPECTED;
    }
    std::lock_guard file(m_fileMutex);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | ((FileMode() & AM_FILE_OVERWRITE) ? O_TRUNC : 0);
    m_fd = open(FileName().c_str(), flags, 0644);
    if (m_fd < 0) {
      const int error = errno;
      SetErrorInfo("Cannot write \"" + FileName() + "\": " + std::strerror(error) + ".");
      return HResultFromErrno(error);
    }
    m_path = FileName();
    m_part = 1;
    m_position = 0;
    m_errorReported = false;
  }
  return CBaseFilter::Pause();
}

HRESULT CFileWriter::Stop() {
  const HRESULT hr = CBaseFilter::Stop();
  const HRESULT closed = CloseFile();
  return FAILED(hr) ? hr : closed;
}

HRESULT CFileWriter::CloseFile() {
  std::unique_lock lock(m_fileMutex);
  if (m_fd < 0) return S_OK;
  // Recordings are worth an fsync: the caller moves the file right after stop. Devices that
  // cannot sync (EINVAL) have nothing to lose.
  int error = fsync(m_fd) == 0 || errno == EINVAL ? 0 : errno;
  if (close(m_fd) != 0 && error == 0) error = errno;
  m_fd = -1;
  lock.unlock();
  return error ? ReportWriteFailure(HResultFromErrno(error), error) : S_OK;
}

HRESULT CFileWriter::WriteAt(uint64_t offset, const uint8_t* data, size_t length) {
  std::unique_lock lock(m_fileMutex);
  if (m_fd < 0) return E_UNEXPECTED;
  size_t done = 0;
  while (done < length) {
    const ssize_t n = pwrite(m_fd, data + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      lock.unlock();
      return ReportWriteFailure(HResultFromErrno(error), error);
    }
    done += static_cast<size_t>(n);
  }
  m_position = offset + length;
  return S_OK;
}

HRESULT CFileWriter::ContinueInNextPart() {
  std::unique_lock lock(m_fileMutex);
  if (m_fd < 0) return E_UNEXPECTED;
  // The finished part is synced and the next one created before anything changes, so a
  // failure leaves the recording in the current file.
  if (fsync(m_fd) != 0 && errno != EINVAL) {
    const int error = errno;
    lock.unlock();
    return ReportWriteFailure(HResultFromErrno(error), error);
  }
  const std::string next = FilePartName(FileName(), m_part + 1);
  const int fd = open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    const int error = errno;
    lock.unlock();
    SetErrorInfo("Cannot continue the recording in \"" + next + "\": " + std::strerror(error) + ".");
    return HResultFromErrno(error);
  }
  // Its data is on the disk already: a failing close is not worth losing the next part for.
  close(m_fd);
  m_fd = fd;
  m_path = next;
  ++m_part;
  m_position = 0;
  return S_OK;
}

HRESULT CFileWriter::ReportWriteFailure(HRESULT hr, int error) {
  bool first;
  std::string path;
  {
    std::lock_guard lock(m_fileMutex);
    first = !m_errorReported;
    m_errorReported = true;
    path = m_path;
  }
  SetErrorInfo("Writing \"" + path + "\" failed: " + std::strerror(error) + ".");
  if (first) NotifyEvent(EC_ERRORABORT, hr, 0);
  return hr;
}
