#include "platform/media/MediaSample.h"

CMediaSample::CMediaSample(uint8_t* buffer, long size) : m_buffer(buffer), m_size(size), m_actual(size) {}

void CMediaSample::Reset() {
  m_actual = m_size;
  m_start.reset();
  m_end.reset();
  m_mediaStart.reset();
  m_mediaEnd.reset();
  m_syncPoint = m_preroll = m_discontinuity = false;
  m_type.reset();
}

HRESULT CMediaSample::GetPointer(uint8_t** buffer) {
  if (buffer == nullptr) return E_POINTER;
  *buffer = m_buffer;
  return S_OK;
}

long CMediaSample::GetSize() { return m_size; }

HRESULT CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
  if (start == nullptr || end == nullptr) return E_POINTER;
  if (!m_start) return VFW_E_SAMPLE_TIME_NOT_SET;
  *start = *m_start;
  if (!m_end) {
    *end = *m_start + 1;
    return VFW_S_NO_STOP_TIME;
  }
  *end = *m_end;
  return S_OK;
}

HRESULT CMediaSample::SetTime(const REFERENCE_TIME* start, const REFERENCE_TIME* end) {
  if (start == nullptr) {
    m_start.reset();
    m_end.reset();
    return S_OK;
  }
  m_start = *start;
  m_end = end ? std::optional<REFERENCE_TIME>(*end) : std::nullopt;
  return S_OK;
}

HRESULT CMediaSample::GetMediaTime(int64_t* start, int64_t* end) {
  if (start == nullptr || end == nullptr) return E_POINTER;
  if (!m_mediaStart) return VFW_E_MEDIA_TIME_NOT_SET;
  *start = *m_mediaStart;
  *end = m_mediaEnd.value_or(*m_mediaStart + 1);
  return S_OK;
}

HRESULT CMediaSample::SetMediaTime(const int64_t* start, const int64_t* end) {
  if (start == nullptr) {
    m_mediaStart.reset();
    m_mediaEnd.reset();
    return S_OK;
  }
  m_mediaStart = *start;
  m_mediaEnd = end ? std::optional<int64_t>(*end) : std::nullopt;
  return S_OK;
}

HRESULT CMediaSample::IsSyncPoint() { return m_syncPoint ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetSyncPoint(bool syncPoint) {
  m_syncPoint = syncPoint;
  return S_OK;
}
HRESULT CMediaSample::IsPreroll() { return m_preroll ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetPreroll(bool preroll) {
  m_preroll = preroll;
  return S_OK;
}
HRESULT CMediaSample::IsDiscontinuity() { return m_discontinuity ? S_OK : S_FALSE; }
HRESULT CMediaSample::SetDiscontinuity(bool discontinuity) {
  m_discontinuity = discontinuity;
  return S_OK;
}

long CMediaSample::GetActualDataLength() { return m_actual; }

HRESULT CMediaSample::SetActualDataLength(long length) {
  if (length < 0 || length > m_size) return VFW_E_BUFFER_OVERFLOW;
  m_actual = length;
  return S_OK;
}

const AM_MEDIA_TYPE* CMediaSample::GetMediaType() { return m_type ? &*m_type : nullptr; }

HRESULT CMediaSample::SetMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr)
    m_type.reset();
  else
    m_type = *type;
  return S_OK;
}
