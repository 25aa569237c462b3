#include "waveform/CVTWaveformDump.h"

#include <cerrno>
#include <new>

namespace {

// UTF-8 text: every byte that does not continue a character starts one.
size_t CharacterCount(const std::string& text) {
  size_t count = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

CVTWaveformDump::CVTWaveformDump(HRESULT* result) {
  m_pPin.reset(new (std::nothrow) CVTWaveformDumpInputPin(this));
  if (result) *result = m_pPin ? S_OK : E_OUTOFMEMORY;
}

CVTWaveformDump::~CVTWaveformDump() { CloseFile(); }

CBasePin* CVTWaveformDump::GetPin(int n) { return n == 0 ? m_pPin.get() : nullptr; }

HRESULT CVTWaveformDump::SetFileName(const std::string& path, const AM_MEDIA_TYPE*) {
  if (path.empty()) return E_POINTER;
  if (CharacterCount(path) > kMaxDumpFileNameChars) return HResultFromErrno(ENAMETOOLONG);
  std::lock_guard lock(m_csFilter);
  m_fileName = path;
  m_bWriteFailed = false;
  const HRESULT hr = OpenFile();
  CloseFile();
  return hr;
}

HRESULT CVTWaveformDump::GetCurFile(std::string* path, AM_MEDIA_TYPE* type) {
  if (path == nullptr) return E_POINTER;
  std::lock_guard lock(m_csFilter);
  *path = m_fileName;
  if (type) *type = AM_MEDIA_TYPE{};
  return S_OK;
}

HRESULT CVTWaveformDump::OpenFile() {
  std::lock_guard lock(m_csFilter);
  if (m_fileName.empty()) return HResultFromErrno(EINVAL);
  std::lock_guard receive(m_receiveLock);
  return m_writer.Open(m_fileName);
}

void CVTWaveformDump::CloseFile() {
  std::lock_guard lock(m_csFilter);
  std::lock_guard receive(m_receiveLock);
  m_writer.Close();
}

HRESULT CVTWaveformDump::WriteValue(int value) { return Handled(m_writer.WriteValue(value)); }

HRESULT CVTWaveformDump::WriteHeader(std::string_view line) { return Handled(m_writer.WriteFirstLine(line)); }

HRESULT CVTWaveformDump::Handled(HRESULT written) {
  if (written != HResultFromErrno(ENOSPC)) return S_OK;
  m_writer.Abandon();
  m_bWriteFailed = true;
  SetErrorInfo(kDumpDiskFullText);
  NotifyEvent(EC_ERRORABORT, written, 0);
  return written;
}
