#pragma once
// The filter graph: holds its filters, connects their pins (directly or through registered
// converters), drives their states and collects their events.
//
// Threads: building and control (AddFilter, Connect, Run, Pause, Stop, GetState) run on the
// thread that owns the graph. Notify comes from streaming threads; GetEvent from the owner.
// Error texts are per thread (SetErrorInfo): Notify takes the reporting thread's text with a
// failure event, the queue keeps it with the event, and GetEvent hands it to the reader's
// thread, so a failure on a streaming thread reaches the owner with its reason.
// m_eventMutex guards m_events, the notify window fields, m_completeCount, m_renderers,
// m_stopping and m_errorReported.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/BasicAudio.h"
#include "platform/media/Graph.h"
#include "platform/media/Seeking.h"

class CFilterGraph : public IGraphBuilder,
                     public IMediaControl,
                     public IMediaEventEx,
                     public IMediaEventSink,
                     public IMediaFilter,
                     public IMediaSeeking,
                     public IBasicAudio {
 public:
  CFilterGraph() = default;
  ~CFilterGraph() override;
  CFilterGraph(const CFilterGraph&) = delete;
  CFilterGraph& operator=(const CFilterGraph&) = delete;

  HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  std::vector<std::shared_ptr<IBaseFilter>> Filters() override;
  HRESULT FindFilterByName(const std::string& name, std::shared_ptr<IBaseFilter>* filter) override;
  HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
  HRESULT Disconnect(IPin* pin) override;
  HRESULT Connect(IPin* output, IPin* input) override;
  HRESULT Render(IPin* output) override;
  HRESULT AddSourceFilter(const std::string& path, const std::string& name,
                          std::shared_ptr<IBaseFilter>* filter) override;
  HRESULT RenderFile(const std::string& path) override;

  // Seeking goes to the filters that can seek (parsers, decoders), which flush what was on its
  // way when the graph is not stopped; it also restarts the count of renderers that completed.
  // The current position is the renderers' (what is being heard) while the graph runs or is
  // paused and they know it, else the seeking filters' start position. Control thread only.
  HRESULT GetCapabilities(uint32_t* capabilities) override;
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                       uint32_t stopFlags) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetDuration(REFERENCE_TIME* duration) override;

  // The volume goes to every renderer that has one; E_NOTIMPL when none has.
  HRESULT put_Volume(long volume) override;
  HRESULT get_Volume(long* volume) override;

  // Run and Pause start the filters from the renderers upstream, so each filter is ready
  // before its source delivers. Stop stops live sources first, waits (bounded) until their end
  // of stream has reached every renderer, then stops the rest from the sources downstream, so
  // writers finish their files while their downstream is still open. A paused graph first
  // lets its non-live filters run, so no thread stays blocked in a paused renderer. Stop
  // returns the first failure of a filter finishing its work (with its text), else
  // VFW_E_TIMEOUT when the end of stream did not reach every renderer within the wait. A
  // failed Run or Pause stops the filters again and returns the filter's failure and text.
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetState(long timeoutMs, FILTER_STATE* state) override;

  HRESULT SetNotifyWindow(HWND window, UINT message, LPARAM instance) override;
  HRESULT GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long timeoutMs) override;
  HRESULT FreeEventParams(long eventCode, intptr_t param1, intptr_t param2) override;

  // EC_COMPLETE from each renderer is counted; the application gets one EC_COMPLETE when all
  // have finished, except while the graph is stopping. Other events pass through, with only
  // the first EC_ERRORABORT of a run. An event whose result parameter is a failure keeps the
  // calling thread's error text (GetErrorInfo), so the reporter sets the text first.
  HRESULT Notify(long eventCode, intptr_t param1, intptr_t param2) override;

  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(uint32_t timeoutMs, FILTER_STATE* state) override;
  HRESULT SetSyncSource(IReferenceClock* clock) override;

 private:
  struct Event {
    long code;
    intptr_t param1;
    intptr_t param2;
    std::string errorText;  // empty unless param1 is a failure
  };

  std::vector<IBaseFilter*> UpstreamOrder();
  HRESULT ConnectVia(IPin* output, IPin* input, int depth);
  HRESULT PauseFilters();
  // Stops the filters after `failure` and returns it, with its text kept for the caller.
  HRESULT StopAfter(HRESULT failure);
  // The first failure of a filter's Stop (a header that could not be written ...), else
  // VFW_E_TIMEOUT or S_OK; the calling thread's error text is that failure's, or empty.
  HRESULT StopFilters();
  void QueueEvent(Event event);  // call with m_eventMutex held

  std::vector<std::shared_ptr<IBaseFilter>> m_filters;
  FILTER_STATE m_state = State_Stopped;

  std::mutex m_eventMutex;
  std::condition_variable m_eventArrived;
  std::deque<Event> m_events;
  HWND m_window = nullptr;
  UINT m_message = 0;
  LPARAM m_instance = 0;
  int m_renderers = 0;
  int m_completeCount = 0;
  bool m_stopping = false;
  bool m_errorReported = false;
};

// Filters that report themselves as renderers, or that take input and give none.
bool IsRenderer(IBaseFilter* filter);
bool IsLiveSource(IBaseFilter* filter);
