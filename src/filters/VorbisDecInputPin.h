#pragma once
// The Vorbis decoder's input, "Ogg Vorbis Packets": a transform input pin whose identifier is
// "In" and that asks the upstream allocator for two buffers, so the upstream can fill one
// while the decoder holds the other's packet back. Threads as for CTransformInputPin.

#include <string>

#include "platform/media/TransformFilter.h"

class CVorbisDecInputPin : public CTransformInputPin {
 public:
  CVorbisDecInputPin(CTransformFilter* filter, HRESULT* result);

  HRESULT QueryId(std::string* id) override;
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
};
