#include "platform/media/BaseFilter.h"

#include <new>

#include "platform/media/BasePin.h"
#include "platform/media/Graph.h"

namespace {

// Walks a filter's pins through GetPin.
class CEnumPins : public IEnumPins {
 public:
  explicit CEnumPins(CBaseFilter* filter) : m_filter(filter) {}

  HRESULT Next(unsigned long count, IPin** pins, unsigned long* fetched) override {
    if (pins == nullptr) return E_POINTER;
    unsigned long n = 0;
    while (n < count && m_position < m_filter->GetPinCount()) pins[n++] = m_filter->GetPin(m_position++);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(unsigned long count) override {
    m_position += static_cast<int>(count);
    return m_position <= m_filter->GetPinCount() ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    m_position = 0;
    return S_OK;
  }

 private:
  CBaseFilter* m_filter;
  int m_position = 0;
};

}  // namespace

CBaseFilter::CBaseFilter(const CLSID& clsid) : m_clsid(clsid) {}

HRESULT CBaseFilter::Stop() {
  std::lock_guard lock(m_csFilter);
  HRESULT result = S_OK;
  if (m_State != State_Stopped) {
    for (int i = 0; i < GetPinCount(); ++i) {
      CBasePin* pin = GetPin(i);
      if (pin && pin->IsConnected()) {
        const HRESULT hr = pin->Inactive();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
      }
    }
  }
  m_State = State_Stopped;
  return result;
}

HRESULT CBaseFilter::Pause() {
  std::lock_guard lock(m_csFilter);
  if (m_State == State_Stopped) {
    for (int i = 0; i < GetPinCount(); ++i) {
      CBasePin* pin = GetPin(i);
      if (pin && pin->IsConnected()) {
        const HRESULT hr = pin->Active();
        if (FAILED(hr)) {
          // Undo what was committed, so the filter stays cleanly stopped.
          for (int j = 0; j < i; ++j)
            if (GetPin(j) && GetPin(j)->IsConnected()) GetPin(j)->Inactive();
          return hr;
        }
      }
    }
  }
  m_State = State_Paused;
  return S_OK;
}

HRESULT CBaseFilter::Run(REFERENCE_TIME start) {
  std::lock_guard lock(m_csFilter);
  m_tStart = start;
  if (m_State == State_Stopped) {
    const HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  m_State = State_Running;
  return S_OK;
}

HRESULT CBaseFilter::GetState(uint32_t, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  *state = m_State;
  return S_OK;
}

HRESULT CBaseFilter::SetSyncSource(IReferenceClock*) { return S_OK; }

HRESULT CBaseFilter::EnumPins(std::unique_ptr<IEnumPins>* enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  enumerator->reset(new (std::nothrow) CEnumPins(this));
  return *enumerator ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBaseFilter::FindPin(const std::string& id, IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = nullptr;
  for (int i = 0; i < GetPinCount(); ++i) {
    CBasePin* candidate = GetPin(i);
    if (candidate && candidate->Name() == id) {
      *pin = candidate;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

std::string CBaseFilter::Name() {
  std::lock_guard lock(m_csFilter);
  return m_name;
}

IFilterGraph* CBaseFilter::Graph() {
  std::lock_guard lock(m_csFilter);
  return m_pGraph;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* graph, const std::string& name) {
  std::lock_guard lock(m_csFilter);
  m_pGraph = graph;
  m_pSink = graph ? QueryInterface<IMediaEventSink>(graph) : nullptr;
  m_name = graph ? name : std::string();
  return S_OK;
}

HRESULT CBaseFilter::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = m_clsid;
  return S_OK;
}

HRESULT CBaseFilter::NotifyEvent(long eventCode, intptr_t param1, intptr_t param2) {
  IMediaEventSink* sink = m_pSink.load();
  if (sink == nullptr) return S_FALSE;
  return sink->Notify(eventCode, param1, param2);
}
