#include "platform/media/TransformFilter.h"

// ---- CTransformInputPin ----

CTransformInputPin::CTransformInputPin(const std::string& name, CTransformFilter* filter, HRESULT* result)
    : CBaseInputPin(filter, name), m_pTransformFilter(filter) {
  if (result) *result = S_OK;
}

HRESULT CTransformInputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  HRESULT hr = m_pTransformFilter->CheckInputType(type);
  if (hr != S_OK) return hr;
  CTransformOutputPin* output = m_pTransformFilter->OutputPin();
  if (output && output->IsConnected()) hr = m_pTransformFilter->CheckTransform(type, &output->CurrentMediaType());
  return hr;
}

HRESULT CTransformInputPin::SetMediaType(const AM_MEDIA_TYPE* type) {
  HRESULT hr = CBaseInputPin::SetMediaType(type);
  if (FAILED(hr)) return hr;
  return m_pTransformFilter->SetMediaType(PINDIR_INPUT, type);
}

HRESULT CTransformInputPin::CheckConnect(IPin* pin) {
  const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_INPUT, pin);
  if (FAILED(hr)) return hr;
  return CBaseInputPin::CheckConnect(pin);
}

HRESULT CTransformInputPin::CompleteConnect(IPin* receivePin) {
  const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_INPUT, receivePin);
  if (FAILED(hr)) return hr;
  return CBaseInputPin::CompleteConnect(receivePin);
}

HRESULT CTransformInputPin::BreakConnect() {
  m_pTransformFilter->BreakConnect(PINDIR_INPUT);
  return CBaseInputPin::BreakConnect();
}

HRESULT CTransformInputPin::Receive(IMediaSample* sample) {
  std::lock_guard lock(m_pTransformFilter->m_csReceive);
  const HRESULT hr = CBaseInputPin::Receive(sample);
  if (hr != S_OK) return hr;
  return m_pTransformFilter->Receive(sample);
}

HRESULT CTransformInputPin::EndOfStream() {
  std::lock_guard lock(m_pTransformFilter->m_csReceive);
  const HRESULT hr = CBaseInputPin::EndOfStream();
  if (hr != S_OK) return hr;
  return m_pTransformFilter->EndOfStream();
}

HRESULT CTransformInputPin::BeginFlush() {
  std::lock_guard lock(m_pTransformFilter->FilterLock());
  if (!IsConnected() || !m_pTransformFilter->OutputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
  const HRESULT hr = CBaseInputPin::BeginFlush();
  if (FAILED(hr)) return hr;
  return m_pTransformFilter->BeginFlush();
}

HRESULT CTransformInputPin::EndFlush() {
  std::lock_guard lock(m_pTransformFilter->FilterLock());
  if (!IsConnected() || !m_pTransformFilter->OutputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
  const HRESULT hr = m_pTransformFilter->EndFlush();
  if (FAILED(hr)) return hr;
  return CBaseInputPin::EndFlush();
}

// ---- CTransformOutputPin ----

CTransformOutputPin::CTransformOutputPin(const std::string& name, CTransformFilter* filter, HRESULT* result)
    : CBaseOutputPin(filter, name), m_pTransformFilter(filter) {
  if (result) *result = S_OK;
}

HRESULT CTransformOutputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  CTransformInputPin* input = m_pTransformFilter->InputPin();
  if (input == nullptr || !input->IsConnected()) return E_UNEXPECTED;
  return m_pTransformFilter->CheckTransform(&input->CurrentMediaType(), type);
}

HRESULT CTransformOutputPin::GetMediaType(int position, AM_MEDIA_TYPE* type) {
  CTransformInputPin* input = m_pTransformFilter->InputPin();
  if (input == nullptr || !input->IsConnected()) return E_UNEXPECTED;
  return m_pTransformFilter->GetMediaType(position, type);
}

HRESULT CTransformOutputPin::SetMediaType(const AM_MEDIA_TYPE* type) {
  HRESULT hr = CBaseOutputPin::SetMediaType(type);
  if (FAILED(hr)) return hr;
  return m_pTransformFilter->SetMediaType(PINDIR_OUTPUT, type);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pin) {
  CTransformInputPin* input = m_pTransformFilter->InputPin();
  if (input == nullptr || !input->IsConnected()) return E_UNEXPECTED;
  const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_OUTPUT, pin);
  if (FAILED(hr)) return hr;
  return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* receivePin) {
  const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_OUTPUT, receivePin);
  if (FAILED(hr)) return hr;
  return CBaseOutputPin::CompleteConnect(receivePin);
}

HRESULT CTransformOutputPin::BreakConnect() {
  m_pTransformFilter->BreakConnect(PINDIR_OUTPUT);
  return CBaseOutputPin::BreakConnect();
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  return m_pTransformFilter->DecideBufferSize(allocator, request);
}

// ---- CTransformFilter ----

CTransformFilter::CTransformFilter(const CLSID& clsid) : CBaseFilter(clsid) {}

HRESULT CTransformFilter::Transform(IMediaSample*, IMediaSample*) { return E_UNEXPECTED; }
HRESULT CTransformFilter::SetMediaType(PIN_DIRECTION, const AM_MEDIA_TYPE*) { return S_OK; }
HRESULT CTransformFilter::CheckConnect(PIN_DIRECTION, IPin*) { return S_OK; }
HRESULT CTransformFilter::BreakConnect(PIN_DIRECTION) { return S_OK; }
HRESULT CTransformFilter::CompleteConnect(PIN_DIRECTION, IPin*) { return S_OK; }
HRESULT CTransformFilter::StartStreaming() { return S_OK; }
HRESULT CTransformFilter::StopStreaming() { return S_OK; }

int CTransformFilter::GetPinCount() { return 2; }

CBasePin* CTransformFilter::GetPin(int n) {
  if (!m_pInput) m_pInput = std::make_unique<CTransformInputPin>("XForm In", this, nullptr);
  if (!m_pOutput) m_pOutput = std::make_unique<CTransformOutputPin>("XForm Out", this, nullptr);
  if (n == 0) return m_pInput.get();
  if (n == 1) return m_pOutput.get();
  return nullptr;
}

HRESULT CTransformFilter::InitializeOutputSample(IMediaSample* input, SamplePtr* output) {
  SamplePtr sample;
  const HRESULT hr = m_pOutput->GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
  if (FAILED(hr)) return hr;
  REFERENCE_TIME start, end;
  const HRESULT timed = input->GetTime(&start, &end);
  if (timed == S_OK)
    sample->SetTime(&start, &end);
  else if (timed == VFW_S_NO_STOP_TIME)
    sample->SetTime(&start, nullptr);
  int64_t mediaStart, mediaEnd;
  if (input->GetMediaTime(&mediaStart, &mediaEnd) == S_OK) sample->SetMediaTime(&mediaStart, &mediaEnd);
  sample->SetSyncPoint(input->IsSyncPoint() == S_OK);
  sample->SetPreroll(input->IsPreroll() == S_OK);
  sample->SetDiscontinuity(input->IsDiscontinuity() == S_OK);
  *output = std::move(sample);
  return S_OK;
}

HRESULT CTransformFilter::Receive(IMediaSample* sample) {
  SamplePtr output;
  HRESULT hr = InitializeOutputSample(sample, &output);
  if (FAILED(hr)) return hr;
  hr = Transform(sample, output.get());
  if (hr == S_OK) return m_pOutput->Deliver(output.get());
  // S_FALSE drops this sample without failing the stream.
  return hr == S_FALSE ? S_OK : hr;
}

HRESULT CTransformFilter::EndOfStream() { return m_pOutput ? m_pOutput->DeliverEndOfStream() : S_OK; }
HRESULT CTransformFilter::BeginFlush() { return m_pOutput ? m_pOutput->DeliverBeginFlush() : S_OK; }
HRESULT CTransformFilter::EndFlush() { return m_pOutput ? m_pOutput->DeliverEndFlush() : S_OK; }

HRESULT CTransformFilter::Stop() {
  std::lock_guard lock(m_csFilter);
  if (m_State == State_Stopped) return S_OK;
  if (!m_pInput || !m_pInput->IsConnected() || !m_pOutput->IsConnected()) {
    m_State = State_Stopped;
    return S_OK;
  }
  // Decommitting both allocators first releases a Receive blocked waiting for a buffer, so
  // taking the receive lock cannot wait on a downstream that still holds buffers.
  m_pInput->Inactive();
  m_pOutput->Inactive();
  std::lock_guard receive(m_csReceive);
  const HRESULT hr = StopStreaming();
  m_State = State_Stopped;
  return hr;
}

HRESULT CTransformFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  const bool starting =
      m_State == State_Stopped && m_pInput && m_pInput->IsConnected() && m_pOutput && m_pOutput->IsConnected();
  if (starting) {
    std::lock_guard receive(m_csReceive);
    const HRESULT hr = StartStreaming();
    if (FAILED(hr)) return hr;
  }
  const HRESULT hr = CBaseFilter::Pause();
  if (FAILED(hr) && starting) {
    std::lock_guard receive(m_csReceive);
    StopStreaming();
  }
  return hr;
}
