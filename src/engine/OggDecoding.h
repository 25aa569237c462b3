#pragma once
// The system's own path through an Ogg Vorbis file, for the reader and the player graphs: the
// Ogg splitter ("Splitter") and the Vorbis decoder ("Decoder") after the file's source. Called
// on the graph's control thread.

#include <memory>

#include "platform/media/Graph.h"

// Adds both filters and connects source -> splitter -> decoder; the decoder, whose output
// carries the PCM, is returned. The first failing step's code.
HRESULT AddOggDecoder(IGraphBuilder* graph, IBaseFilter* source, std::shared_ptr<IBaseFilter>* decoder);
