#include "platform/media/InfTee.h"

#include <algorithm>

class CInfTee::InputPin : public CBaseInputPin {
 public:
  explicit InputPin(CInfTee* tee) : CBaseInputPin(tee, "Input"), m_tee(tee) {}

  // Any type, but while outputs are connected only the one they were connected with.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override {
    if (type == nullptr) return E_POINTER;
    return !m_tee->AnyOutputConnected() || *type == CurrentMediaType() ? S_OK : S_FALSE;
  }

  HRESULT Receive(IMediaSample* sample) override {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_tee->DeliverToOutputs(sample);
  }

  HRESULT EndOfStream() override {
    const HRESULT hr = CBaseInputPin::EndOfStream();
    if (hr != S_OK) return hr;
    return m_tee->DeliverEndOfStream();
  }

 private:
  CInfTee* m_tee;
};

class CInfTee::OutputPin : public CBaseOutputPin {
 public:
  OutputPin(CInfTee* tee, const std::string& name) : CBaseOutputPin(tee, name), m_tee(tee) {}

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override {
    if (type == nullptr) return E_POINTER;
    if (!m_tee->m_input->IsConnected()) return VFW_E_NOT_CONNECTED;
    return *type == m_tee->m_input->CurrentMediaType() ? S_OK : S_FALSE;
  }

  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* type) override {
    if (type == nullptr) return E_POINTER;
    if (!m_tee->m_input->IsConnected()) return VFW_E_NOT_CONNECTED;
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    *type = m_tee->m_input->CurrentMediaType();
    return S_OK;
  }

  HRESULT CheckConnect(IPin* pin) override {
    if (!m_tee->m_input->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CBaseOutputPin::CheckConnect(pin);
  }

  // Every output passes on the upstream's buffers, so downstream gets them read-only.
  HRESULT DecideAllocator(IMemInputPin* pin, std::shared_ptr<IMemAllocator>* allocator) override {
    std::shared_ptr<IMemAllocator> shared = m_tee->m_input->SharedAllocator();
    if (!shared) return VFW_E_NO_ALLOCATOR;
    const HRESULT hr = pin->NotifyAllocator(shared, true);
    if (FAILED(hr)) return hr;
    *allocator = shared;
    return S_OK;
  }

  HRESULT DecideBufferSize(IMemAllocator*, ALLOCATOR_PROPERTIES*) override { return S_OK; }

  HRESULT CompleteConnect(IPin* receivePin) override {
    const HRESULT hr = CBaseOutputPin::CompleteConnect(receivePin);
    if (SUCCEEDED(hr)) m_tee->EnsureSpareOutput();
    return hr;
  }

  // The shared allocator belongs to the upstream connection, which commits and decommits it.
  HRESULT Active() override { return S_OK; }
  HRESULT Inactive() override { return S_OK; }

  HRESULT BreakConnect() override {
    m_pAllocator.reset();
    m_pInputPin = nullptr;
    return S_OK;
  }

 private:
  CInfTee* m_tee;
};

CInfTee::CInfTee() : CBaseFilter(CLSID_InfTee), m_input(std::make_unique<InputPin>(this)) { EnsureSpareOutput(); }

CInfTee::~CInfTee() = default;

int CInfTee::GetPinCount() { return 1 + static_cast<int>(m_outputs.size()); }

CBasePin* CInfTee::GetPin(int n) {
  if (n == 0) return m_input.get();
  if (n < 1 || n > static_cast<int>(m_outputs.size())) return nullptr;
  return m_outputs[static_cast<size_t>(n - 1)].get();
}

void CInfTee::EnsureSpareOutput() {
  const bool hasSpare =
      std::any_of(m_outputs.begin(), m_outputs.end(), [](const auto& p) { return !p->IsConnected(); });
  if (!hasSpare)
    m_outputs.push_back(std::make_unique<OutputPin>(this, "Output" + std::to_string(m_nextOutputNumber++)));
}

bool CInfTee::AnyOutputConnected() const {
  return std::any_of(m_outputs.begin(), m_outputs.end(), [](const auto& p) { return p->IsConnected(); });
}

HRESULT CInfTee::DeliverToOutputs(IMediaSample* sample) {
  // A failing branch does not starve the others; the first failure is reported upstream.
  HRESULT result = S_OK;
  for (const auto& output : m_outputs) {
    if (!output->IsConnected()) continue;
    const HRESULT hr = output->Deliver(sample);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

HRESULT CInfTee::DeliverEndOfStream() {
  for (const auto& output : m_outputs)
    if (output->IsConnected()) output->DeliverEndOfStream();
  return S_OK;
}
