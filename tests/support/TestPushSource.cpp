#include "support/TestPushSource.h"

#include <vector>

TestPushSource::TestPushSource(int sampleCount, long bytesPerSample)
    : CBaseFilter(GUID_NULL),
      m_pin(this, MakeAudioMediaType(MakePcmFormat(8000, 1, 8)), ALLOCATOR_PROPERTIES{2, bytesPerSample, 1, 0}),
      m_sampleCount(sampleCount),
      m_bytesPerSample(bytesPerSample) {}

TestPushSource::~TestPushSource() { Stop(); }

CBasePin* TestPushSource::GetPin(int n) { return n == 0 ? &m_pin : nullptr; }

HRESULT TestPushSource::Pause() {
  std::lock_guard lock(m_csFilter);
  const bool starting = m_State == State_Stopped;
  HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr)) return hr;
  {
    std::lock_guard state(m_mutex);
    m_running = false;
    m_quit = false;
  }
  if (starting) m_thread = std::thread(&TestPushSource::Stream, this);
  return S_OK;
}

HRESULT TestPushSource::Run(REFERENCE_TIME start) {
  HRESULT hr = CBaseFilter::Run(start);
  if (FAILED(hr)) return hr;
  {
    std::lock_guard state(m_mutex);
    m_running = true;
  }
  m_changed.notify_all();
  return S_OK;
}

HRESULT TestPushSource::Stop() {
  {
    std::lock_guard state(m_mutex);
    m_quit = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
  return CBaseFilter::Stop();
}

void TestPushSource::Stream() {
  long position = 0;
  std::vector<uint8_t> bytes(m_bytesPerSample);
  for (int i = 0; i < m_sampleCount; ++i) {
    {
      std::unique_lock state(m_mutex);
      m_changed.wait(state, [this] { return m_running || m_quit; });
      if (m_quit) break;
    }
    for (long b = 0; b < m_bytesPerSample; ++b) bytes[b] = static_cast<uint8_t>((position + b) % 251);
    const HRESULT hr = m_pin.Send(bytes, SampleTimes{position, position + m_bytesPerSample});
    position += m_bytesPerSample;
    m_lastResult = hr;
    if (FAILED(hr)) break;
    ++m_delivered;
  }
  m_pin.DeliverEndOfStream();
}
