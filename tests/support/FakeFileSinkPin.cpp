#include "support/FakeFileSinkPin.h"

#include <algorithm>
#include <utility>

namespace {

// A test that writes past this has gone wrong; refuse rather than exhaust memory.
constexpr uint64_t kMaxFileBytes = 64 * 1024 * 1024;

}  // namespace

CFakeFileSinkPin::CFakeFileSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly)
    : CFakeSinkPin(filter, std::move(acceptOnly)) {}

HRESULT CFakeFileSinkPin::Accept(const ReceivedSample& sample) {
  if (!sample.times) return VFW_E_SAMPLE_TIME_NOT_SET;
  if (sample.times->start < 0) return E_INVALIDARG;
  std::lock_guard lock(m_fileLock);
  return WriteAt(static_cast<uint64_t>(sample.times->start), sample.bytes.data(), sample.bytes.size());
}

HRESULT CFakeFileSinkPin::WriteAt(uint64_t offset, const uint8_t* data, size_t length) {
  if (offset + length > kMaxFileBytes) return E_OUTOFMEMORY;
  std::vector<uint8_t>& file = m_parts.back();
  if (file.size() < offset + length) file.resize(offset + length);
  std::copy_n(data, length, file.begin() + static_cast<long>(offset));
  return S_OK;
}

HRESULT CFakeFileSinkPin::Seek(int64_t move, STREAM_SEEK origin, uint64_t* newPosition) {
  std::lock_guard lock(m_fileLock);
  if (FAILED(m_streamFailure)) return m_streamFailure;
  const int64_t base = origin == STREAM_SEEK_SET   ? 0
                       : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(m_position)
                                                   : static_cast<int64_t>(m_parts.back().size());
  if (base + move < 0) return E_INVALIDARG;
  m_position = static_cast<uint64_t>(base + move);
  if (newPosition) *newPosition = m_position;
  return S_OK;
}

HRESULT CFakeFileSinkPin::Write(const void* data, unsigned long length, unsigned long* written) {
  if (data == nullptr) return E_POINTER;
  std::lock_guard lock(m_fileLock);
  if (FAILED(m_streamFailure)) return m_streamFailure;
  const HRESULT hr = WriteAt(m_position, static_cast<const uint8_t*>(data), length);
  if (FAILED(hr)) return hr;
  m_position += length;
  if (written) *written = length;
  return S_OK;
}

HRESULT CFakeFileSinkPin::Read(void* data, unsigned long length, unsigned long* read) {
  if (data == nullptr) return E_POINTER;
  std::lock_guard lock(m_fileLock);
  const std::vector<uint8_t>& file = m_parts.back();
  const uint64_t available = m_position < file.size() ? file.size() - m_position : 0;
  const size_t count = static_cast<size_t>(std::min<uint64_t>(length, available));
  if (count > 0) std::copy_n(file.begin() + static_cast<long>(m_position), count, static_cast<uint8_t*>(data));
  m_position += count;
  if (read) *read = static_cast<unsigned long>(count);
  return count == length ? S_OK : S_FALSE;
}

HRESULT CFakeFileSinkPin::ContinueInNextFile() {
  std::lock_guard lock(m_fileLock);
  if (FAILED(m_continuationFailure)) return m_continuationFailure;
  m_parts.emplace_back();
  m_position = 0;
  return S_OK;
}

void CFakeFileSinkPin::FailStreamWith(HRESULT failure) {
  std::lock_guard lock(m_fileLock);
  m_streamFailure = failure;
}

void CFakeFileSinkPin::FailContinuationWith(HRESULT failure) {
  std::lock_guard lock(m_fileLock);
  m_continuationFailure = failure;
}

std::vector<uint8_t> CFakeFileSinkPin::FileBytes() const {
  std::lock_guard lock(m_fileLock);
  return m_parts.front();
}

std::vector<std::vector<uint8_t>> CFakeFileSinkPin::Parts() const {
  std::lock_guard lock(m_fileLock);
  return m_parts;
}
