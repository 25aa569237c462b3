#include "platform/media/BasePin.h"

#include <new>

namespace {

// A partially specified hint only admits types that agree with its specified fields.
bool MatchesHint(const AM_MEDIA_TYPE& type, const AM_MEDIA_TYPE* hint) {
  if (hint == nullptr) return true;
  if (hint->majortype != GUID_NULL && hint->majortype != type.majortype) return false;
  if (hint->subtype != GUID_NULL && hint->subtype != type.subtype) return false;
  if (hint->formattype != GUID_NULL && hint->formattype != type.formattype) return false;
  return true;
}

}  // namespace

// ---- CBasePin ----

CBasePin::CBasePin(CBaseFilter* filter, const std::string& name, PIN_DIRECTION direction)
    : m_pFilter(filter), m_name(name), m_direction(direction) {}

HRESULT CBasePin::GetMediaType(int, AM_MEDIA_TYPE*) { return VFW_S_NO_MORE_ITEMS; }

HRESULT CBasePin::SetMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  m_mt = *type;
  return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
  PIN_DIRECTION direction;
  const HRESULT hr = pin->QueryDirection(&direction);
  if (FAILED(hr)) return hr;
  return direction == m_direction ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin*) { return S_OK; }
HRESULT CBasePin::BreakConnect() { return S_OK; }
HRESULT CBasePin::Active() { return S_OK; }
HRESULT CBasePin::Inactive() { return S_OK; }

HRESULT CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
  if (receivePin == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (m_Connected) return VFW_E_ALREADY_CONNECTED;
  if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;

  if (type && !IsPartiallySpecified(*type)) return AttemptConnection(receivePin, *type);

  std::unique_ptr<IEnumMediaTypes> types;
  if (SUCCEEDED(receivePin->EnumMediaTypes(&types)) && types) {
    if (TryMediaTypes(receivePin, type, types.get()) == S_OK) return S_OK;
  }
  if (SUCCEEDED(EnumMediaTypes(&types)) && types) {
    if (TryMediaTypes(receivePin, type, types.get()) == S_OK) return S_OK;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* hint, IEnumMediaTypes* types) {
  AM_MEDIA_TYPE candidate;
  unsigned long fetched = 0;
  types->Reset();
  while (types->Next(1, &candidate, &fetched) == S_OK && fetched == 1) {
    if (MatchesHint(candidate, hint) && AttemptConnection(receivePin, candidate) == S_OK) return S_OK;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::AttemptConnection(IPin* receivePin, const AM_MEDIA_TYPE& type) {
  HRESULT hr = CheckConnect(receivePin);
  if (FAILED(hr)) {
    BreakConnect();
    return hr;
  }
  hr = CheckMediaType(&type);
  if (hr == S_OK) {
    m_Connected = receivePin;
    hr = SetMediaType(&type);
    if (SUCCEEDED(hr)) {
      hr = receivePin->ReceiveConnection(this, &type);
      if (SUCCEEDED(hr)) {
        hr = CompleteConnect(receivePin);
        if (SUCCEEDED(hr)) return S_OK;
        receivePin->Disconnect();
      }
    }
  } else if (SUCCEEDED(hr)) {
    hr = VFW_E_TYPE_NOT_ACCEPTED;
  }
  m_Connected = nullptr;
  m_mt = {};
  BreakConnect();
  return hr;
}

HRESULT CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
  if (connector == nullptr || type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (m_Connected) return VFW_E_ALREADY_CONNECTED;
  if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
  HRESULT hr = CheckConnect(connector);
  if (SUCCEEDED(hr)) {
    hr = CheckMediaType(type);
    if (hr == S_OK) {
      m_Connected = connector;
      hr = SetMediaType(type);
      if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
      if (SUCCEEDED(hr)) return S_OK;
    } else if (SUCCEEDED(hr)) {
      hr = VFW_E_TYPE_NOT_ACCEPTED;
    }
  }
  m_Connected = nullptr;
  m_mt = {};
  BreakConnect();
  return hr;
}

HRESULT CBasePin::Disconnect() {
  std::lock_guard lock(m_pFilter->FilterLock());
  if (!m_pFilter->IsStopped()) return VFW_E_NOT_STOPPED;
  if (m_Connected == nullptr) return S_FALSE;
  BreakConnect();
  m_Connected = nullptr;
  m_mt = {};
  return S_OK;
}

HRESULT CBasePin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = m_Connected;
  return m_Connected ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  std::lock_guard lock(m_pFilter->FilterLock());
  if (m_Connected == nullptr) {
    *type = {};
    return VFW_E_NOT_CONNECTED;
  }
  *type = m_mt;
  return S_OK;
}

HRESULT CBasePin::QueryDirection(PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = m_direction;
  return S_OK;
}

HRESULT CBasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
  const HRESULT hr = CheckMediaType(type);
  return FAILED(hr) ? S_FALSE : hr;
}

HRESULT CBasePin::EnumMediaTypes(std::unique_ptr<IEnumMediaTypes>* enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  enumerator->reset(new (std::nothrow) CEnumMediaTypes(this));
  return *enumerator ? S_OK : E_OUTOFMEMORY;
}

IBaseFilter* CBasePin::Filter() { return m_pFilter; }

std::string CBasePin::Name() { return m_name; }

HRESULT CBasePin::QueryId(std::string* id) {
  if (id == nullptr) return E_POINTER;
  *id = m_name;
  return S_OK;
}

// ---- CBaseOutputPin ----

CBaseOutputPin::CBaseOutputPin(CBaseFilter* filter, const std::string& name) : CBasePin(filter, name, PINDIR_OUTPUT) {}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
  const HRESULT hr = CBasePin::CheckConnect(pin);
  if (FAILED(hr)) return hr;
  m_pInputPin = QueryInterface<IMemInputPin>(pin);
  return m_pInputPin ? S_OK : E_NOINTERFACE;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) { return DecideAllocator(m_pInputPin, &m_pAllocator); }

HRESULT CBaseOutputPin::BreakConnect() {
  if (m_pAllocator) m_pAllocator->Decommit();
  m_pAllocator.reset();
  m_pInputPin = nullptr;
  return S_OK;
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pin, std::shared_ptr<IMemAllocator>* allocator) {
  if (pin == nullptr || allocator == nullptr) return E_POINTER;
  ALLOCATOR_PROPERTIES requirements;
  pin->GetAllocatorRequirements(&requirements);
  if (requirements.cbAlign == 0) requirements.cbAlign = 1;

  std::shared_ptr<IMemAllocator> candidate;
  HRESULT hr = pin->GetAllocator(&candidate);
  if (SUCCEEDED(hr) && candidate) {
    ALLOCATOR_PROPERTIES request = requirements;
    hr = DecideBufferSize(candidate.get(), &request);
    if (SUCCEEDED(hr)) hr = pin->NotifyAllocator(candidate, false);
    if (SUCCEEDED(hr)) {
      *allocator = candidate;
      return S_OK;
    }
  }
  candidate = std::make_shared<CMemAllocator>();
  ALLOCATOR_PROPERTIES request = requirements;
  hr = DecideBufferSize(candidate.get(), &request);
  if (SUCCEEDED(hr)) hr = pin->NotifyAllocator(candidate, false);
  if (FAILED(hr)) return hr;
  *allocator = candidate;
  return S_OK;
}

HRESULT CBaseOutputPin::Active() { return m_pAllocator ? m_pAllocator->Commit() : VFW_E_NO_ALLOCATOR; }

HRESULT CBaseOutputPin::Inactive() { return m_pAllocator ? m_pAllocator->Decommit() : VFW_E_NO_ALLOCATOR; }

HRESULT CBaseOutputPin::GetDeliveryBuffer(SamplePtr* sample, const REFERENCE_TIME* start, const REFERENCE_TIME* end,
                                          uint32_t flags) {
  if (!m_pAllocator) return VFW_E_NO_ALLOCATOR;
  return m_pAllocator->GetBuffer(sample, start, end, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
  if (m_pInputPin == nullptr) return VFW_E_NOT_CONNECTED;
  return m_pInputPin->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
  IPin* peer = m_Connected;
  return peer ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
  IPin* peer = m_Connected;
  return peer ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
  IPin* peer = m_Connected;
  return peer ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT CBaseOutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT CBaseOutputPin::EndFlush() { return E_UNEXPECTED; }

// ---- CBaseInputPin ----

CBaseInputPin::CBaseInputPin(CBaseFilter* filter, const std::string& name) : CBasePin(filter, name, PINDIR_INPUT) {}

HRESULT CBaseInputPin::GetAllocator(std::shared_ptr<IMemAllocator>* allocator) {
  if (allocator == nullptr) return E_POINTER;
  if (!m_pAllocator) m_pAllocator = std::make_shared<CMemAllocator>();
  *allocator = m_pAllocator;
  return S_OK;
}

HRESULT CBaseInputPin::NotifyAllocator(const std::shared_ptr<IMemAllocator>& allocator, bool readOnly) {
  if (!allocator) return E_POINTER;
  m_pAllocator = allocator;
  m_bReadOnly = readOnly;
  return S_OK;
}

HRESULT CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT CBaseInputPin::CheckStreaming() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (m_pFilter->IsStopped()) return VFW_E_WRONG_STATE;
  if (m_bFlushing) return S_FALSE;
  if (m_bAtEndOfStream) return VFW_E_SAMPLE_REJECTED_EOS;
  return S_OK;
}

HRESULT CBaseInputPin::Receive(IMediaSample* sample) {
  if (sample == nullptr) return E_POINTER;
  const HRESULT hr = CheckStreaming();
  if (hr != S_OK) return hr;
  const AM_MEDIA_TYPE* changed = sample->GetMediaType();
  if (changed && CheckMediaType(changed) != S_OK) return VFW_E_INVALIDMEDIATYPE;
  return S_OK;
}

HRESULT CBaseInputPin::ReceiveCanBlock() { return S_OK; }

HRESULT CBaseInputPin::EndOfStream() {
  const HRESULT hr = CheckStreaming();
  if (hr == S_OK) m_bAtEndOfStream = true;
  return hr;
}

HRESULT CBaseInputPin::BeginFlush() {
  m_bFlushing = true;
  return S_OK;
}

HRESULT CBaseInputPin::EndFlush() {
  m_bFlushing = false;
  m_bAtEndOfStream = false;
  return S_OK;
}

HRESULT CBaseInputPin::Active() {
  m_bAtEndOfStream = false;
  m_bFlushing = false;
  return S_OK;
}

HRESULT CBaseInputPin::Inactive() {
  m_bAtEndOfStream = false;
  m_bFlushing = false;
  return m_pAllocator ? m_pAllocator->Decommit() : S_OK;
}

HRESULT CBaseInputPin::BreakConnect() {
  if (m_pAllocator) m_pAllocator->Decommit();
  m_pAllocator.reset();
  m_bReadOnly = false;
  return S_OK;
}

// ---- CEnumMediaTypes ----

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin) : m_pin(pin) {}

HRESULT CEnumMediaTypes::Next(unsigned long count, AM_MEDIA_TYPE* types, unsigned long* fetched) {
  if (types == nullptr) return E_POINTER;
  unsigned long n = 0;
  while (n < count) {
    AM_MEDIA_TYPE type;
    if (m_pin->GetMediaType(m_position, &type) != S_OK) break;
    types[n++] = std::move(type);
    ++m_position;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT CEnumMediaTypes::Skip(unsigned long count) {
  m_position += static_cast<int>(count);
  return S_OK;
}

HRESULT CEnumMediaTypes::Reset() {
  m_position = 0;
  return S_OK;
}
