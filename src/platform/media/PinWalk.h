#pragma once
// The one walk over a filter's pins that the graph and every graph owner share. Called on the
// thread that builds or controls the graph; pins live as long as their filter.

#include <vector>

#include "platform/media/Filter.h"

enum class PinConnection { Any, Unconnected };

// The filter's pins in enumeration order (from a Reset enumerator), or the enumerator's failure.
HRESULT EnumeratePins(IBaseFilter* filter, std::vector<IPin*>* pins);

// For walks where a filter that cannot list its pins has none: all its pins, or those of one
// direction (pins that cannot tell their direction are left out).
std::vector<IPin*> PinsOf(IBaseFilter* filter);
std::vector<IPin*> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction);

// The pin it is connected to, or null.
IPin* PeerOf(IPin* pin);

// The first pin of that direction (and connection): S_OK with the pin, S_FALSE and null when
// there is none, or the enumerator's failure.
HRESULT FindFirstPin(IBaseFilter* filter, PIN_DIRECTION direction, PinConnection connection, IPin** pin);
