#pragma once
// Free helpers over any graph, used by every graph owner.

#include <memory>

#include "platform/media/Graph.h"

// The first pin of that direction that is not connected; E_FAIL when there is none.
HRESULT FindUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// The first pin of that direction, connected or not; S_FALSE and no pin when there is none.
HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
// Joins upstream's first free output to downstream's first free input with intelligent
// Connect; E_POINTER when an argument is missing.
HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* upstream, IBaseFilter* downstream);
// Registers the graph in the running object table as "FilterGraph %08x pid %08x" (address,
// process id), kept alive until revoked with the returned cookie.
HRESULT RegisterGraph(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie);
