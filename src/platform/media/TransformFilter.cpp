#include "platform/media/TransformFilter.h"

#include <algorithm>
#include <new>

namespace {

// The time `done` of `total` bytes into [start, end), without overflowing for long spans.
REFERENCE_TIME TimeWithin(REFERENCE_TIME start, REFERENCE_TIME end, size_t done, size_t total) {
  const REFERENCE_TIME span = end - start;
  const auto k = static_cast<REFERENCE_TIME>(done), n = static_cast<REFERENCE_TIME>(total);
  return start + span / n * k + span % n * k / n;
}

}  // namespace

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

CTransformFilter::CTransformFilter(const CLSID& clsid, std::string inputPinName, std::string outputPinName)
    : CBaseFilter(clsid), m_inputPinName(std::move(inputPinName)), m_outputPinName(std::move(outputPinName)) {}

HRESULT CTransformFilter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
  if (!m_pInput || !m_pInput->IsConnected()) return E_UNEXPECTED;
  if (allocator == nullptr || request == nullptr) return E_POINTER;
  std::shared_ptr<IMemAllocator> inputAllocator;
  HRESULT hr = m_pInput->GetAllocator(&inputAllocator);
  ALLOCATOR_PROPERTIES input;
  if (SUCCEEDED(hr)) hr = inputAllocator->GetProperties(&input);
  if (SUCCEEDED(hr)) hr = GetOutputBufferProperties(input, request);
  if (FAILED(hr)) return hr;
  ALLOCATOR_PROPERTIES actual;
  hr = allocator->SetProperties(request, &actual);
  if (FAILED(hr)) return hr;
  return actual.cBuffers < request->cBuffers || actual.cbBuffer < request->cbBuffer ? ShortAllocatorResult() : S_OK;
}

HRESULT CTransformFilter::GetOutputBufferProperties(const ALLOCATOR_PROPERTIES& input, ALLOCATOR_PROPERTIES* request) {
  request->cBuffers = 1;
  request->cbBuffer = input.cbBuffer;
  request->cbAlign = 1;
  return S_OK;
}

HRESULT CTransformFilter::ShortAllocatorResult() const { return E_FAIL; }
HRESULT CTransformFilter::SetMediaType(PIN_DIRECTION, const AM_MEDIA_TYPE*) { return S_OK; }
HRESULT CTransformFilter::CheckConnect(PIN_DIRECTION, IPin*) { return S_OK; }
HRESULT CTransformFilter::BreakConnect(PIN_DIRECTION) { return S_OK; }
HRESULT CTransformFilter::CompleteConnect(PIN_DIRECTION, IPin*) { return S_OK; }

std::unique_ptr<CTransformInputPin> CTransformFilter::MakeInputPin(const std::string& name) {
  return std::make_unique<CTransformInputPin>(name, this, nullptr);
}

std::unique_ptr<CTransformOutputPin> CTransformFilter::MakeOutputPin(const std::string& name) {
  return std::make_unique<CTransformOutputPin>(name, this, nullptr);
}

HRESULT CTransformFilter::StartStreaming() { return S_OK; }
HRESULT CTransformFilter::StopStreaming() { return S_OK; }
HRESULT CTransformFilter::Transform(IMediaSample*, IMediaSample*) { return E_UNEXPECTED; }

HRESULT CTransformFilter::CreatePins() {
  std::lock_guard lock(m_csFilter);
  if (m_pInput && m_pOutput) return S_OK;
  try {
    std::unique_ptr<CTransformInputPin> input = MakeInputPin(m_inputPinName);
    std::unique_ptr<CTransformOutputPin> output = MakeOutputPin(m_outputPinName);
    if (!input || !output) return E_OUTOFMEMORY;
    m_pInput = std::move(input);
    m_pOutput = std::move(output);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

int CTransformFilter::GetPinCount() { return 2; }

CBasePin* CTransformFilter::GetPin(int n) {
  if (FAILED(CreatePins())) return nullptr;
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
  return hr == S_FALSE ? S_OK : hr;
}

HRESULT CTransformFilter::EndOfStream() {
  const HRESULT delivered = DeliverQueuedOutput();
  const HRESULT ended = m_pOutput->DeliverEndOfStream();
  return FAILED(delivered) ? delivered : ended;
}

HRESULT CTransformFilter::BeginFlush() {
  ++m_flushCount;
  return m_pOutput->DeliverBeginFlush();
}

HRESULT CTransformFilter::EndFlush() { return m_pOutput->DeliverEndFlush(); }

HRESULT CTransformFilter::QueueOutput(std::span<const uint8_t> bytes, REFERENCE_TIME start, REFERENCE_TIME end) {
  if (QueuedOutputIsStale()) DiscardQueuedOutput();
  if (m_queued && m_queuedBytes + bytes.size() > static_cast<size_t>(m_queued->GetSize())) {
    const HRESULT hr = DeliverQueuedOutput();
    if (hr != S_OK) return hr;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    if (!m_queued) {
      const HRESULT hr = m_pOutput->GetDeliveryBuffer(&m_queued, nullptr, nullptr, 0);
      if (FAILED(hr)) return hr;
      if (m_queued->GetSize() <= 0) {
        m_queued.reset();
        return VFW_E_BUFFER_OVERFLOW;
      }
      m_queuedBytes = 0;
      m_queuedStart = TimeWithin(start, end, done, bytes.size());
      m_queuedFlushCount = m_flushCount.load();
    }
    uint8_t* data = nullptr;
    const HRESULT hr = m_queued->GetPointer(&data);
    if (FAILED(hr)) return hr;
    const size_t piece = std::min(bytes.size() - done, static_cast<size_t>(m_queued->GetSize() - m_queuedBytes));
    std::copy_n(bytes.data() + done, piece, data + m_queuedBytes);
    m_queuedBytes += static_cast<long>(piece);
    done += piece;
    m_queuedEnd = TimeWithin(start, end, done, bytes.size());
    if (done < bytes.size()) {
      const HRESULT delivered = DeliverQueuedOutput();
      if (delivered != S_OK) return delivered;
    }
  }
  return S_OK;
}

HRESULT CTransformFilter::DeliverQueuedOutput() {
  if (QueuedOutputIsStale()) DiscardQueuedOutput();
  if (!m_queued) return S_OK;
  const SamplePtr sample = std::move(m_queued);
  m_queued.reset();
  const HRESULT hr = sample->SetActualDataLength(m_queuedBytes);
  if (FAILED(hr)) return hr;
  sample->SetTime(&m_queuedStart, &m_queuedEnd);
  sample->SetSyncPoint(true);
  return m_pOutput->Deliver(sample.get());
}

void CTransformFilter::DiscardQueuedOutput() {
  m_queued.reset();
  m_queuedBytes = 0;
}

bool CTransformFilter::QueuedOutputIsStale() const { return m_queued && m_queuedFlushCount != m_flushCount.load(); }

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
  DiscardQueuedOutput();
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
    DiscardQueuedOutput();
  }
  return hr;
}
