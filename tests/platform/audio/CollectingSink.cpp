#include "platform/audio/CollectingSink.h"

#include <chrono>

class CollectingSink::Pin : public CBaseInputPin {
 public:
  explicit Pin(CollectingSink* sink) : CBaseInputPin(sink, "In"), m_sink(sink) {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override {
    const std::optional<WAVEFORMATEX> format = WaveFormatOf(*type);
    if (type->majortype != MEDIATYPE_Audio || !format) return S_FALSE;
    std::lock_guard lock(m_sink->m_mutex);
    return !m_sink->m_accept || m_sink->m_accept(*format) ? S_OK : S_FALSE;
  }

  HRESULT Receive(IMediaSample* sample) override {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    CollectedSample copy;
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    copy.bytes.assign(data, data + sample->GetActualDataLength());
    sample->GetTime(&copy.start, &copy.end);
    copy.syncPoint = sample->IsSyncPoint() == S_OK;
    copy.discontinuity = sample->IsDiscontinuity() == S_OK;
    {
      std::lock_guard lock(m_sink->m_mutex);
      m_sink->m_samples.push_back(std::move(copy));
      hr = m_sink->m_receiveResult;
    }
    m_sink->m_changed.notify_all();
    return hr;
  }

  HRESULT EndOfStream() override {
    const HRESULT hr = CBaseInputPin::EndOfStream();
    {
      std::lock_guard lock(m_sink->m_mutex);
      m_sink->m_ended = true;
    }
    m_sink->m_changed.notify_all();
    m_sink->NotifyEvent(EC_COMPLETE, S_OK, 0);
    return hr;
  }

 private:
  CollectingSink* m_sink;
};

CollectingSink::CollectingSink() : CBaseFilter(GUID_NULL), m_pin(std::make_unique<Pin>(this)) {}

CollectingSink::~CollectingSink() = default;

CBasePin* CollectingSink::GetPin(int n) { return n == 0 ? m_pin.get() : nullptr; }

IPin* CollectingSink::InputPin() { return m_pin.get(); }

void CollectingSink::SetAccept(std::function<bool(const WAVEFORMATEX&)> accept) {
  std::lock_guard lock(m_mutex);
  m_accept = std::move(accept);
}

void CollectingSink::SetReceiveResult(HRESULT result) {
  std::lock_guard lock(m_mutex);
  m_receiveResult = result;
}

std::vector<CollectedSample> CollectingSink::Samples() {
  std::lock_guard lock(m_mutex);
  return m_samples;
}

std::vector<uint8_t> CollectingSink::AllBytes() {
  std::lock_guard lock(m_mutex);
  std::vector<uint8_t> bytes;
  for (const CollectedSample& sample : m_samples) bytes.insert(bytes.end(), sample.bytes.begin(), sample.bytes.end());
  return bytes;
}

bool CollectingSink::EndOfStreamSeen() {
  std::lock_guard lock(m_mutex);
  return m_ended;
}

bool CollectingSink::WaitForSamples(size_t count, int timeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_samples.size() >= count; });
}

bool CollectingSink::WaitForEndOfStream(int timeoutMs) {
  std::unique_lock lock(m_mutex);
  return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_ended; });
}
