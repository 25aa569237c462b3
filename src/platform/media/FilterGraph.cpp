#include "platform/media/FilterGraph.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/media/AsyncFileSource.h"
#include "platform/media/FilterRegistry.h"
#include "platform/media/GraphSeeking.h"
#include "platform/media/PinWalk.h"

namespace {

// How long Stop waits for a live source's end of stream to reach the renderers.
constexpr auto kEndOfStreamWait = std::chrono::seconds(5);
// Converters chained by intelligent connect between two pins, at most.
constexpr int kMaxConverterDepth = 2;

// Events whose first parameter is a result code; a failing one carries its text.
bool CarriesFailure(long eventCode, intptr_t param1) {
  const bool resultParam = eventCode == EC_COMPLETE || eventCode == EC_USERABORT || eventCode == EC_ERRORABORT;
  return resultParam && FAILED(static_cast<HRESULT>(param1));
}

uint32_t MiscFlags(IBaseFilter* filter) {
  auto* flags = QueryInterface<IAMFilterMiscFlags>(filter);
  return flags ? flags->GetMiscFlags() : 0;
}

}  // namespace

bool IsRenderer(IBaseFilter* filter) {
  if (MiscFlags(filter) & AM_FILTER_MISC_FLAGS_IS_RENDERER) return true;
  return PinsOf(filter, PINDIR_OUTPUT).empty() && !PinsOf(filter, PINDIR_INPUT).empty();
}

bool IsLiveSource(IBaseFilter* filter) { return (MiscFlags(filter) & AM_FILTER_MISC_FLAGS_IS_SOURCE) != 0; }

CFilterGraph::~CFilterGraph() {
  Stop();
  for (const auto& filter : m_filters) {
    for (IPin* pin : PinsOf(filter.get())) pin->Disconnect();
    filter->JoinFilterGraph(nullptr, {});
  }
}

HRESULT CFilterGraph::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) {
  if (!filter) return E_POINTER;
  if (std::any_of(m_filters.begin(), m_filters.end(), [&](const auto& f) { return f == filter; })) return E_INVALIDARG;
  std::string unique = name.empty() ? "Filter" : name;
  HRESULT result = S_OK;
  for (int suffix = 1; FindFilterByName(unique, nullptr) == S_OK; ++suffix) {
    char text[16];
    std::snprintf(text, sizeof text, " %04d", suffix);
    unique = (name.empty() ? "Filter" : name) + text;
    result = VFW_S_DUPLICATE_NAME;
  }
  const HRESULT hr = filter->JoinFilterGraph(this, unique);
  if (FAILED(hr)) return hr;
  m_filters.push_back(filter);
  return result;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* filter) {
  auto it = std::find_if(m_filters.begin(), m_filters.end(), [&](const auto& f) { return f.get() == filter; });
  if (it == m_filters.end()) return VFW_E_NOT_FOUND;
  if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
  for (IPin* pin : PinsOf(filter)) Disconnect(pin);
  filter->JoinFilterGraph(nullptr, {});
  m_filters.erase(it);
  return S_OK;
}

std::vector<std::shared_ptr<IBaseFilter>> CFilterGraph::Filters() { return m_filters; }

HRESULT CFilterGraph::FindFilterByName(const std::string& name, std::shared_ptr<IBaseFilter>* filter) {
  for (const auto& f : m_filters) {
    if (f->Name() == name) {
      if (filter) *filter = f;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
  if (output == nullptr || input == nullptr) return E_POINTER;
  if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
  return output->Connect(input, type);
}

HRESULT CFilterGraph::Disconnect(IPin* pin) {
  if (pin == nullptr) return E_POINTER;
  if (m_state != State_Stopped) return VFW_E_NOT_STOPPED;
  IPin* peer = nullptr;
  if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
    const HRESULT hr = peer->Disconnect();
    if (FAILED(hr)) return hr;
  }
  return pin->Disconnect();
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input) {
  if (output == nullptr || input == nullptr) return E_POINTER;
  return ConnectVia(output, input, 0);
}

HRESULT CFilterGraph::ConnectVia(IPin* output, IPin* input, int depth) {
  const HRESULT direct = ConnectDirect(output, input, nullptr);
  if (SUCCEEDED(direct) || depth >= kMaxConverterDepth) return direct;
  for (const RegisteredFilter& entry : RegisteredFilters()) {
    if (entry.renderer || entry.merit <= MERIT_DO_NOT_USE) continue;
    std::shared_ptr<IBaseFilter> converter = entry.create ? entry.create() : nullptr;
    if (!converter || FAILED(AddFilter(converter, entry.name))) continue;
    IPin* converterIn = nullptr;
    if (FindFirstPin(converter.get(), PINDIR_INPUT, PinConnection::Unconnected, &converterIn) == S_OK &&
        SUCCEEDED(ConnectDirect(output, converterIn, nullptr))) {
      for (IPin* converterOut : PinsOf(converter.get(), PINDIR_OUTPUT))
        if (SUCCEEDED(ConnectVia(converterOut, input, depth + 1))) return S_OK;
    }
    RemoveFilter(converter.get());
  }
  return FAILED(direct) ? VFW_E_CANNOT_CONNECT : direct;
}

HRESULT CFilterGraph::Render(IPin* output) {
  if (output == nullptr) return E_POINTER;
  for (const RegisteredFilter& entry : RegisteredFilters()) {
    if (!entry.renderer || entry.merit <= MERIT_DO_NOT_USE) continue;
    std::shared_ptr<IBaseFilter> renderer = entry.create ? entry.create() : nullptr;
    if (!renderer || FAILED(AddFilter(renderer, entry.name))) continue;
    IPin* input = nullptr;
    if (FindFirstPin(renderer.get(), PINDIR_INPUT, PinConnection::Unconnected, &input) == S_OK &&
        SUCCEEDED(Connect(output, input)))
      return S_OK;
    RemoveFilter(renderer.get());
  }
  return VFW_E_CANNOT_RENDER;
}

std::vector<IBaseFilter*> CFilterGraph::UpstreamOrder() {
  // Kahn's order over the connections: a filter comes after every filter feeding it.
  std::map<IBaseFilter*, int> feeders;
  std::map<IBaseFilter*, std::vector<IBaseFilter*>> downstream;
  for (const auto& f : m_filters) feeders[f.get()];
  for (const auto& f : m_filters) {
    for (IPin* pin : PinsOf(f.get(), PINDIR_OUTPUT)) {
      IPin* peer = PeerOf(pin);
      if (peer == nullptr) continue;
      IBaseFilter* next = peer->Filter();
      if (!feeders.count(next)) continue;
      ++feeders[next];
      downstream[f.get()].push_back(next);
    }
  }
  std::vector<IBaseFilter*> order;
  for (const auto& f : m_filters)
    if (feeders[f.get()] == 0) order.push_back(f.get());
  for (size_t i = 0; i < order.size(); ++i)
    for (IBaseFilter* next : downstream[order[i]])
      if (--feeders[next] == 0) order.push_back(next);
  return order;
}

HRESULT CFilterGraph::PauseFilters() {
  std::vector<IBaseFilter*> order = UpstreamOrder();
  if (m_state == State_Stopped) {
    // Counted before taking the event lock: asking a filter for its pins takes the filter's
    // lock, which a streaming thread may hold while it reports an event.
    const int renderers = static_cast<int>(std::count_if(order.begin(), order.end(), IsRenderer));
    std::lock_guard lock(m_eventMutex);
    m_renderers = renderers;
    m_completeCount = 0;
    m_errorReported = false;
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const HRESULT hr = (*it)->Pause();
    if (FAILED(hr)) return StopAfter(hr);
  }
  return S_OK;
}

HRESULT CFilterGraph::Run() {
  if (m_state == State_Running) return S_OK;
  HRESULT hr = PauseFilters();
  if (FAILED(hr)) return hr;
  std::vector<IBaseFilter*> order = UpstreamOrder();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    hr = (*it)->Run(0);
    if (FAILED(hr)) return StopAfter(hr);
  }
  m_state = State_Running;
  return S_OK;
}

HRESULT CFilterGraph::Pause() {
  if (m_state == State_Paused) return S_OK;
  const HRESULT hr = PauseFilters();
  if (FAILED(hr)) return hr;
  m_state = State_Paused;
  return S_OK;
}

HRESULT CFilterGraph::Stop() {
  if (m_state == State_Stopped) return S_OK;
  return StopFilters();
}

HRESULT CFilterGraph::StopAfter(HRESULT failure) {
  const std::string text = GetErrorInfo();
  StopFilters();  // what made the state change fail is what the caller needs to hear about
  SetErrorInfo(text);
  return failure;
}

HRESULT CFilterGraph::StopFilters() {
  {
    std::lock_guard lock(m_eventMutex);
    m_stopping = true;
  }
  HRESULT result = S_OK;
  std::string resultText;
  // Each call starts with no text, so a failure never carries the text of an earlier one.
  ClearErrorInfo();
  const auto keepFirstFailure = [&](HRESULT hr) {
    if (FAILED(hr) && SUCCEEDED(result)) {
      result = hr;
      resultText = GetErrorInfo();
    }
    ClearErrorInfo();
  };
  std::vector<IBaseFilter*> order = UpstreamOrder();
  // A paused renderer holds its upstream thread inside Receive, and a source's Stop joins that
  // thread: let everything but the live sources run so the thread can reach its stop check.
  if (m_state == State_Paused) {
    for (IBaseFilter* filter : order)
      if (!IsLiveSource(filter)) keepFirstFailure(filter->Run(0));
  }
  bool liveSource = false;
  for (IBaseFilter* filter : order) {
    FILTER_STATE state = State_Stopped;
    if (IsLiveSource(filter) && SUCCEEDED(filter->GetState(0, &state)) && state != State_Stopped) {
      keepFirstFailure(filter->Stop());
      liveSource = true;
    }
  }
  bool drained = true;
  if (liveSource) {
    std::unique_lock lock(m_eventMutex);
    drained = m_eventArrived.wait_for(lock, kEndOfStreamWait, [this] { return m_completeCount >= m_renderers; });
  }
  for (IBaseFilter* filter : order) keepFirstFailure(filter->Stop());
  // A filter that could not finish its work is the graver news; the time-out comes second.
  if (!drained) {
    SetErrorInfo("The end of the stream did not reach every renderer within " +
                 std::to_string(kEndOfStreamWait.count()) + " seconds; the last data may be missing.");
    keepFirstFailure(VFW_E_TIMEOUT);
  }
  SetErrorInfo(resultText);
  std::lock_guard lock(m_eventMutex);
  m_stopping = false;
  m_state = State_Stopped;
  return result;
}

HRESULT CFilterGraph::GetState(long, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  *state = m_state;
  return S_OK;
}

HRESULT CFilterGraph::SetNotifyWindow(HWND window, UINT message, LPARAM instance) {
  std::lock_guard lock(m_eventMutex);
  m_window = window;
  m_message = message;
  m_instance = instance;
  for (size_t i = 0; i < m_events.size(); ++i) PostMessage(m_window, m_message, 0, m_instance);
  return S_OK;
}

HRESULT CFilterGraph::GetEvent(long* eventCode, intptr_t* param1, intptr_t* param2, long timeoutMs) {
  if (eventCode == nullptr || param1 == nullptr || param2 == nullptr) return E_POINTER;
  std::unique_lock lock(m_eventMutex);
  if (!m_eventArrived.wait_for(lock, std::chrono::milliseconds(std::max(0L, timeoutMs)),
                               [this] { return !m_events.empty(); }))
    return E_ABORT;
  const Event event = std::move(m_events.front());
  m_events.pop_front();
  *eventCode = event.code;
  *param1 = event.param1;
  *param2 = event.param2;
  SetErrorInfo(event.errorText);
  return S_OK;
}

HRESULT CFilterGraph::FreeEventParams(long, intptr_t, intptr_t) { return S_OK; }

HRESULT CFilterGraph::Notify(long eventCode, intptr_t param1, intptr_t param2) {
  // Taken here, on the reporting thread, where the text was set.
  const std::string errorText = CarriesFailure(eventCode, param1) ? GetErrorInfo() : std::string();
  {
    std::lock_guard lock(m_eventMutex);
    if (eventCode == EC_COMPLETE) {
      ++m_completeCount;
      if (m_completeCount == m_renderers && !m_stopping) QueueEvent({EC_COMPLETE, S_OK, 0, {}});
    } else if (eventCode == EC_ERRORABORT) {
      if (!m_errorReported) QueueEvent({eventCode, param1, param2, errorText});
      m_errorReported = true;
    } else {
      QueueEvent({eventCode, param1, param2, errorText});
    }
  }
  m_eventArrived.notify_all();
  return S_OK;
}

void CFilterGraph::QueueEvent(Event event) {
  m_events.push_back(std::move(event));
  PostMessage(m_window, m_message, 0, m_instance);
}

HRESULT CFilterGraph::Run(REFERENCE_TIME) { return Run(); }

HRESULT CFilterGraph::GetState(uint32_t timeoutMs, FILTER_STATE* state) {
  return GetState(static_cast<long>(timeoutMs), state);
}

HRESULT CFilterGraph::SetSyncSource(IReferenceClock*) { return S_OK; }

HRESULT CFilterGraph::AddSourceFilter(const std::string& path, const std::string& name,
                                      std::shared_ptr<IBaseFilter>* filter) {
  if (filter) filter->reset();
  auto source = std::make_shared<CAsyncFileSource>();
  HRESULT hr = source->Load(path, nullptr);
  if (FAILED(hr)) return hr;
  hr = AddFilter(source, name.empty() ? path : name);
  if (FAILED(hr)) return hr;
  if (filter) *filter = source;
  return hr;
}

HRESULT CFilterGraph::RenderFile(const std::string& path) {
  std::shared_ptr<IBaseFilter> source;
  HRESULT hr = AddSourceFilter(path, path, &source);
  if (FAILED(hr)) return hr;
  ClearErrorInfo();
  IPin* output = nullptr;
  hr = source->FindPin("Output", &output);
  if (hr == S_OK) hr = Render(output);
  if (hr == S_OK) return S_OK;
  if (SUCCEEDED(hr)) hr = VFW_E_CANNOT_RENDER;
  // The parser that refused the file said why; removing the source must not lose that.
  std::string reason = GetErrorInfo();
  RemoveFilter(source.get());
  SetErrorInfo(reason.empty() ? "No filter can play \"" + path + "\"." : reason);
  return hr;
}

HRESULT CFilterGraph::GetCapabilities(uint32_t* capabilities) {
  if (capabilities == nullptr) return E_POINTER;
  *capabilities = 0;
  for (IMediaSeeking* seeking : SeekableFilters(m_filters)) {
    uint32_t filterCapabilities = 0;
    if (SUCCEEDED(seeking->GetCapabilities(&filterCapabilities))) *capabilities |= filterCapabilities;
  }
  return S_OK;
}

HRESULT CFilterGraph::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                                   uint32_t stopFlags) {
  const std::vector<IMediaSeeking*> seekable = SeekableFilters(m_filters);
  if (seekable.empty()) return E_NOTIMPL;
  HRESULT result = S_OK;
  for (IMediaSeeking* seeking : seekable) {
    REFERENCE_TIME start = current ? *current : 0;
    REFERENCE_TIME end = stop ? *stop : 0;
    const HRESULT hr =
        seeking->SetPositions(current ? &start : nullptr, currentFlags, stop ? &end : nullptr, stopFlags);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  if (current && (currentFlags & AM_SEEKING_PositioningBitsMask) != AM_SEEKING_NoPositioning) {
    // The flushed renderers will report completion again for the new stretch.
    std::lock_guard lock(m_eventMutex);
    m_completeCount = 0;
  }
  return result;
}

HRESULT CFilterGraph::GetCurrentPosition(REFERENCE_TIME* current) {
  if (current == nullptr) return E_POINTER;
  if (m_state != State_Stopped) {
    for (IMediaSeeking* renderer : PositionReporters(m_filters))
      if (renderer->GetCurrentPosition(current) == S_OK) return S_OK;
  }
  for (IMediaSeeking* seeking : SeekableFilters(m_filters))
    if (SUCCEEDED(seeking->GetCurrentPosition(current))) return S_OK;
  return E_NOTIMPL;
}

HRESULT CFilterGraph::GetStopPosition(REFERENCE_TIME* stop) {
  if (stop == nullptr) return E_POINTER;
  for (IMediaSeeking* seeking : SeekableFilters(m_filters))
    if (SUCCEEDED(seeking->GetStopPosition(stop))) return S_OK;
  return E_NOTIMPL;
}

HRESULT CFilterGraph::GetDuration(REFERENCE_TIME* duration) {
  if (duration == nullptr) return E_POINTER;
  for (IMediaSeeking* seeking : SeekableFilters(m_filters))
    if (SUCCEEDED(seeking->GetDuration(duration))) return S_OK;
  return E_NOTIMPL;
}

HRESULT CFilterGraph::put_Volume(long volume) {
  const std::vector<IBasicAudio*> controls = VolumeControls(m_filters);
  if (controls.empty()) return E_NOTIMPL;
  HRESULT result = S_OK;
  for (IBasicAudio* control : controls) {
    const HRESULT hr = control->put_Volume(volume);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

HRESULT CFilterGraph::get_Volume(long* volume) {
  if (volume == nullptr) return E_POINTER;
  const std::vector<IBasicAudio*> controls = VolumeControls(m_filters);
  return controls.empty() ? E_NOTIMPL : controls.front()->get_Volume(volume);
}
