#include "support/FakeSinkPin.h"

#include <chrono>
#include <utility>

CFakeSinkPin::CFakeSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly)
    : CBaseInputPin(filter, "Fake In"), m_acceptOnly(std::move(acceptOnly)) {}

HRESULT CFakeSinkPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (m_acceptOnly && *type != *m_acceptOnly) return S_FALSE;
  std::lock_guard lock(m_lock);
  return !m_accept || m_accept(*type) ? S_OK : S_FALSE;
}

HRESULT CFakeSinkPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  if (position != 0 || !m_acceptOnly) return VFW_S_NO_MORE_ITEMS;
  *type = *m_acceptOnly;
  return S_OK;
}

HRESULT CFakeSinkPin::Receive(IMediaSample* sample) {
  const HRESULT streaming = CBaseInputPin::Receive(sample);
  if (streaming != S_OK) return streaming;

  ReceivedSample received;
  uint8_t* buffer = nullptr;
  if (sample->GetPointer(&buffer) == S_OK && buffer != nullptr)
    received.bytes.assign(buffer, buffer + sample->GetActualDataLength());
  SampleTimes times;
  if (SUCCEEDED(sample->GetTime(&times.start, &times.end))) received.times = times;
  received.syncPoint = sample->IsSyncPoint() == S_OK;
  received.discontinuity = sample->IsDiscontinuity() == S_OK;
  received.preroll = sample->IsPreroll() == S_OK;
  {
    std::lock_guard lock(m_lock);
    received.reply = m_replies.empty() ? m_defaultReply : m_replies.front();
    if (!m_replies.empty()) m_replies.pop_front();
  }
  if (received.reply == S_OK) received.reply = Accept(received);
  {
    std::lock_guard lock(m_lock);
    m_samples.push_back(received);
  }
  m_changed.notify_all();
  return received.reply;
}

HRESULT CFakeSinkPin::EndOfStream() {
  const HRESULT hr = CBaseInputPin::EndOfStream();
  {
    std::lock_guard lock(m_lock);
    m_ended = m_ended || hr == S_OK;
  }
  m_changed.notify_all();
  if (hr == S_OK) m_pFilter->NotifyEvent(EC_COMPLETE, S_OK, 0);
  return hr;
}

HRESULT CFakeSinkPin::Accept(const ReceivedSample&) { return S_OK; }

void CFakeSinkPin::SetAccept(std::function<bool(const AM_MEDIA_TYPE&)> accept) {
  std::lock_guard lock(m_lock);
  m_accept = std::move(accept);
}

void CFakeSinkPin::ReplyToNext(HRESULT reply) {
  std::lock_guard lock(m_lock);
  m_replies.push_back(reply);
}

void CFakeSinkPin::ReplyToAll(HRESULT reply) {
  std::lock_guard lock(m_lock);
  m_defaultReply = reply;
}

std::vector<ReceivedSample> CFakeSinkPin::Samples() const {
  std::lock_guard lock(m_lock);
  return m_samples;
}

std::vector<uint8_t> CFakeSinkPin::AllBytes() const {
  std::lock_guard lock(m_lock);
  std::vector<uint8_t> bytes;
  for (const ReceivedSample& sample : m_samples) bytes.insert(bytes.end(), sample.bytes.begin(), sample.bytes.end());
  return bytes;
}

bool CFakeSinkPin::AtEndOfStream() const {
  std::lock_guard lock(m_lock);
  return m_ended;
}

bool CFakeSinkPin::WaitForSamples(size_t count, int timeoutMs) {
  std::unique_lock lock(m_lock);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_samples.size() >= count; });
}

bool CFakeSinkPin::WaitForEndOfStream(int timeoutMs) {
  std::unique_lock lock(m_lock);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_ended; });
}
