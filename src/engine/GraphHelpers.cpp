#include "engine/GraphHelpers.h"

#include <unistd.h>

#include <cstdio>

#include "platform/media/ClassFactory.h"
#include "platform/media/PinWalk.h"
#include "platform/media/RunningObjectTable.h"

HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  if (filter == nullptr || pin == nullptr) return E_POINTER;
  return FindFirstPin(filter, direction, PinConnection::Unconnected, pin) == S_OK ? S_OK : E_FAIL;
}

HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  if (filter == nullptr || pin == nullptr) return E_POINTER;
  return FindFirstPin(filter, direction, PinConnection::Any, pin);
}

HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* upstream, IBaseFilter* downstream) {
  if (graph == nullptr || upstream == nullptr || downstream == nullptr) return E_POINTER;
  IPin* output = nullptr;
  HRESULT hr = FindUnconnectedPin(upstream, PINDIR_OUTPUT, &output);
  if (FAILED(hr)) return hr;
  IPin* input = nullptr;
  hr = FindUnconnectedPin(downstream, PINDIR_INPUT, &input);
  if (FAILED(hr)) return hr;
  return graph->Connect(output, input);
}

HRESULT CreateNotifyingGraph(HWND window, UINT message, std::shared_ptr<IGraphBuilder>* graph,
                             std::shared_ptr<IMediaControl>* control) {
  if (graph == nullptr || control == nullptr) return E_POINTER;
  const HRESULT hr = CoCreateInstance(CLSID_FilterGraph, graph);
  if (FAILED(hr)) return hr;
  *control = QueryInterface<IMediaControl>(*graph);
  if (!*control) return E_NOINTERFACE;
  auto* events = QueryInterface<IMediaEventEx>(graph->get());
  if (events == nullptr) return E_NOINTERFACE;
  if (window) events->SetNotifyWindow(window, message, reinterpret_cast<LPARAM>(graph->get()));
  return hr;
}

HRESULT RegisterGraph(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie) {
  if (!graph || cookie == nullptr) return E_POINTER;
  IRunningObjectTable* table = nullptr;
  if (FAILED(GetRunningObjectTable(&table)) || table == nullptr) return E_FAIL;
  char name[128];
  std::snprintf(name, sizeof name, "FilterGraph %08x pid %08x",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(graph.get())), static_cast<unsigned>(getpid()));
  ItemMoniker moniker;
  HRESULT hr = CreateItemMoniker("!", name, &moniker);
  if (FAILED(hr)) return hr;
  return table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, graph, moniker, cookie);
}

GraphOutcome TakeGraphEvents(IGraphBuilder* graph) {
  auto* events = QueryInterface<IMediaEventEx>(graph);
  if (events == nullptr) return GraphOutcome::Running;
  GraphOutcome outcome = GraphOutcome::Running;
  std::string reason;
  long code = 0;
  intptr_t param1 = 0, param2 = 0;
  while (events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
    if (outcome == GraphOutcome::Running && code == EC_COMPLETE) outcome = GraphOutcome::Completed;
    if (outcome == GraphOutcome::Running && (code == EC_USERABORT || code == EC_ERRORABORT)) {
      outcome = GraphOutcome::Failed;
      reason = GetErrorInfo();
    }
    events->FreeEventParams(code, param1, param2);
  }
  // Later events may have replaced the text.
  SetErrorInfo(reason);
  return outcome;
}
