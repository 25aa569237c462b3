#include "support/FakeSinkPin.h"

#include <utility>

CFakeSinkPin::CFakeSinkPin(CBaseFilter* filter, std::optional<AM_MEDIA_TYPE> acceptOnly)
    : CBaseInputPin(filter, "Fake In"), m_acceptOnly(std::move(acceptOnly)) {}

HRESULT CFakeSinkPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return !m_acceptOnly || *type == *m_acceptOnly ? S_OK : S_FALSE;
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
  {
    std::lock_guard lock(m_lock);
    received.reply = m_replies.empty() ? S_OK : m_replies.front();
    if (!m_replies.empty()) m_replies.pop_front();
  }
  if (received.reply == S_OK) received.reply = Accept(received);

  std::lock_guard lock(m_lock);
  m_samples.push_back(received);
  return received.reply;
}

HRESULT CFakeSinkPin::Accept(const ReceivedSample&) { return S_OK; }

void CFakeSinkPin::ReplyToNext(HRESULT reply) {
  std::lock_guard lock(m_lock);
  m_replies.push_back(reply);
}

std::vector<ReceivedSample> CFakeSinkPin::Samples() const {
  std::lock_guard lock(m_lock);
  return m_samples;
}
