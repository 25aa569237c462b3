#pragma once
// Base for every filter: state, graph membership, pin enumeration and events.
// Derived classes must implement GetPinCount and GetPin (pins live as long as the filter).
// State changes run on the graph's control thread under m_csFilter; streaming threads only read
// the state through IsStopped/State.

#include <atomic>
#include <mutex>
#include <string>

#include "platform/media/Filter.h"

class CBasePin;

class CBaseFilter : public IBaseFilter {
 public:
  explicit CBaseFilter(const CLSID& clsid);

  // Required: the number of pins and pin n (0-based); null past the end.
  virtual int GetPinCount() = 0;
  virtual CBasePin* GetPin(int n) = 0;

  // Optional: the defaults activate connected pins on Stopped -> Paused and deactivate them
  // on Stop.
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(uint32_t timeoutMs, FILTER_STATE* state) override;
  HRESULT SetSyncSource(IReferenceClock* clock) override;

  HRESULT EnumPins(std::unique_ptr<IEnumPins>* enumerator) override;
  HRESULT FindPin(const std::string& id, IPin** pin) override;
  std::string Name() override;
  IFilterGraph* Graph() override;
  HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) override;
  HRESULT GetClassID(CLSID* clsid) override;

  FILTER_STATE State() const { return m_State.load(); }
  bool IsStopped() const { return m_State.load() == State_Stopped; }
  std::recursive_mutex& FilterLock() { return m_csFilter; }

  // Sends an event to the graph's sink; S_FALSE outside a graph. Any thread. For a failure,
  // set its text (SetErrorInfo) first: the graph takes it from the calling thread.
  HRESULT NotifyEvent(long eventCode, intptr_t param1, intptr_t param2);

 protected:
  std::recursive_mutex m_csFilter;
  std::atomic<FILTER_STATE> m_State{State_Stopped};
  REFERENCE_TIME m_tStart = 0;

 private:
  CLSID m_clsid;
  IFilterGraph* m_pGraph = nullptr;  // guarded by m_csFilter; the graph owns us, not the reverse
  // Read by streaming threads without the filter lock, which the control thread may hold
  // while it waits for them.
  std::atomic<IMediaEventSink*> m_pSink{nullptr};
  std::string m_name;
};
