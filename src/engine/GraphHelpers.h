#pragma once
// Free helpers over any graph, used by every graph owner.

#include <memory>

#include "platform/media/Graph.h"

// The first pin of that direction that is not connected; E_FAIL when there is none.
HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// The first pin of that direction, connected or not; S_FALSE and no pin when there is none.
HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// Interface I of the filter's first output pin; null when there is no such pin or interface.
template <class I>
I* FirstOutputPinInterface(IBaseFilter* filter) {
  IPin* pin = nullptr;
  if (FindPin(filter, PINDIR_OUTPUT, &pin) != S_OK || pin == nullptr) return nullptr;
  return QueryInterface<I>(pin);
}
// Joins upstream's first free output to downstream's first free input with intelligent
// Connect; E_POINTER when an argument is missing.
HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* upstream, IBaseFilter* downstream);
// Creates a filter graph and its control; the graph's events go to `window` (none: nowhere) as
// `message` with the graph as lParam.
HRESULT CreateNotifyingGraph(HWND window, UINT message, std::shared_ptr<IGraphBuilder>* graph,
                             std::shared_ptr<IMediaControl>* control);
// Registers the graph in the running object table as "FilterGraph %08x pid %08x" (address,
// process id), kept alive until revoked with the returned cookie.
HRESULT RegisterGraph(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie);

// What a graph's events say about its work.
enum class GraphOutcome {
  Running,    // no event has ended it
  Completed,  // every renderer reached the end of its stream
  Failed,     // user or error abort
};
// Takes every queued event of the graph without waiting; the first completion or abort
// decides. After Failed, GetErrorInfo() says why (empty when the event carried no text).
// Running for a graph without events.
GraphOutcome TakeGraphEvents(IGraphBuilder* graph);
