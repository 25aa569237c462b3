#include "platform/media/TestPushSource.h"

class TestPushSource::OutputPin : public CBaseOutputPin {
 public:
  OutputPin(TestPushSource* source) : CBaseOutputPin(source, "Out"), m_source(source) {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override {
    return type && type->majortype == MEDIATYPE_Audio ? S_OK : S_FALSE;
  }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = MakeAudioMediaType(MakePcmFormat(8000, 1, 8));
    return S_OK;
  }
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override {
    request->cBuffers = 2;
    request->cbBuffer = m_source->m_bytesPerSample;
    ALLOCATOR_PROPERTIES actual;
    return allocator->SetProperties(request, &actual);
  }

 private:
  TestPushSource* m_source;
};

TestPushSource::TestPushSource(int sampleCount, long bytesPerSample)
    : CBaseFilter(GUID_NULL),
      m_pin(std::make_unique<OutputPin>(this)),
      m_sampleCount(sampleCount),
      m_bytesPerSample(bytesPerSample) {}

TestPushSource::~TestPushSource() { Stop(); }

CBasePin* TestPushSource::GetPin(int n) { return n == 0 ? m_pin.get() : nullptr; }

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
  for (int i = 0; i < m_sampleCount; ++i) {
    {
      std::unique_lock state(m_mutex);
      m_changed.wait(state, [this] { return m_running || m_quit; });
      if (m_quit) break;
    }
    SamplePtr sample;
    if (FAILED(m_pin->GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) break;
    uint8_t* data = nullptr;
    sample->GetPointer(&data);
    for (long b = 0; b < m_bytesPerSample; ++b) data[b] = static_cast<uint8_t>((position + b) % 251);
    REFERENCE_TIME start = position, end = position + m_bytesPerSample;
    sample->SetTime(&start, &end);
    position += m_bytesPerSample;
    const HRESULT hr = m_pin->Deliver(sample.get());
    m_lastResult = hr;
    if (FAILED(hr)) break;
    ++m_delivered;
  }
  m_pin->DeliverEndOfStream();
}
