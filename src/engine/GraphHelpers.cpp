#include "engine/GraphHelpers.h"

#include <unistd.h>

#include <cstdio>

#include "platform/media/RunningObjectTable.h"

namespace {

template <class Accept>
HRESULT FirstPinWhere(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin, Accept accept) {
  std::unique_ptr<IEnumPins> pins;
  const HRESULT hr = filter->EnumPins(&pins);
  if (FAILED(hr)) return hr;
  pins->Reset();
  IPin* candidate = nullptr;
  unsigned long fetched = 0;
  while (pins->Next(1, &candidate, &fetched) == S_OK && fetched == 1) {
    PIN_DIRECTION actual;
    if (SUCCEEDED(candidate->QueryDirection(&actual)) && actual == direction && accept(candidate)) {
      *pin = candidate;
      return S_OK;
    }
  }
  return S_FALSE;
}

}  // namespace

HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  if (filter == nullptr || pin == nullptr) return E_POINTER;
  *pin = nullptr;
  const HRESULT hr = FirstPinWhere(filter, direction, pin, [](IPin* candidate) {
    IPin* peer = nullptr;
    return FAILED(candidate->ConnectedTo(&peer));
  });
  return hr == S_OK ? S_OK : E_FAIL;
}

HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  if (filter == nullptr || pin == nullptr) return E_POINTER;
  *pin = nullptr;
  return FirstPinWhere(filter, direction, pin, [](IPin*) { return true; });
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
