#include "filters/OggSplitOutputPin.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "filters/OggSplitter.h"

namespace {

constexpr REFERENCE_TIME kNothingDelivered = std::numeric_limits<REFERENCE_TIME>::min();

}  // namespace

COggSplitOutputPin::COggSplitOutputPin(COggSplitter* filter, const std::string& name, AM_MEDIA_TYPE type,
                                       uint32_t bufferBytes)
    : CBaseOutputPin(filter, name),
      m_splitter(filter),
      m_type(std::move(type)),
      m_bufferBytes(bufferBytes),
      m_lastStart(kNothingDelivered) {}

HRESULT COggSplitOutputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return *type == m_type ? S_OK : E_FAIL;
}

HRESULT COggSplitOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  *type = m_type;
  return S_OK;
}

HRESULT COggSplitOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  request->cBuffers = std::max(request->cBuffers, 1L);
  request->cbBuffer = std::max(request->cbBuffer, static_cast<long>(std::max<uint32_t>(m_bufferBytes, 1)));
  request->cbAlign = 1;
  request->cbPrefix = 0;
  ALLOCATOR_PROPERTIES actual;
  const HRESULT hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT COggSplitOutputPin::GetCapabilities(uint32_t* capabilities) {
  return m_splitter->GetCapabilities(capabilities);
}

HRESULT COggSplitOutputPin::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                                         uint32_t stopFlags) {
  return m_splitter->SetPositionsFrom(this, current, currentFlags, stop, stopFlags);
}

HRESULT COggSplitOutputPin::GetCurrentPosition(REFERENCE_TIME* current) {
  return m_splitter->GetCurrentPosition(current);
}

HRESULT COggSplitOutputPin::GetStopPosition(REFERENCE_TIME* stop) { return m_splitter->GetStopPosition(stop); }

HRESULT COggSplitOutputPin::GetDuration(REFERENCE_TIME* duration) { return m_splitter->GetDuration(duration); }

void COggSplitOutputPin::ResetRun() {
  m_lastStart = kNothingDelivered;
  m_endDelivered = false;
}

HRESULT COggSplitOutputPin::DeliverPacket(std::span<const uint8_t> bytes, const OggPacketTimes& times, bool header,
                                          bool syncPoint, bool discontinuity, bool preroll, bool* skipped) {
  {
    std::lock_guard lock(m_startLock);
    *skipped = !header && times.start <= m_lastStart;
    if (*skipped) return S_OK;
    if (!header) m_lastStart = times.start;
  }
  SamplePtr sample;
  HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
  if (FAILED(hr)) return hr;
  if (bytes.size() > static_cast<size_t>(sample->GetSize())) return VFW_E_BUFFER_OVERFLOW;
  uint8_t* data = nullptr;
  sample->GetPointer(&data);
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  sample->SetActualDataLength(static_cast<long>(bytes.size()));
  sample->SetTime(&times.start, &times.end);
  sample->SetMediaTime(&times.mediaStart, &times.mediaEnd);
  sample->SetSyncPoint(syncPoint);
  sample->SetDiscontinuity(discontinuity);
  sample->SetPreroll(preroll);
  return Deliver(sample.get());
}

void COggSplitOutputPin::AllowStartsFrom(REFERENCE_TIME start) {
  std::lock_guard lock(m_startLock);
  if (start - 1 < m_lastStart) m_lastStart = start - 1;
}

void COggSplitOutputPin::DeliverEndOfStreamOnce() {
  if (!m_endDelivered.exchange(true)) DeliverEndOfStream();
}
