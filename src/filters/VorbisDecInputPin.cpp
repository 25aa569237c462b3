#include "filters/VorbisDecInputPin.h"

namespace {

constexpr long kUpstreamBuffers = 2;

}  // namespace

CVorbisDecInputPin::CVorbisDecInputPin(CTransformFilter* filter, HRESULT* result)
    : CTransformInputPin("Ogg Vorbis Packets", filter, result) {}

HRESULT CVorbisDecInputPin::QueryId(std::string* id) {
  if (id == nullptr) return E_POINTER;
  *id = "In";
  return S_OK;
}

HRESULT CVorbisDecInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
  if (properties == nullptr) return E_POINTER;
  properties->cBuffers = kUpstreamBuffers;
  properties->cbAlign = 1;
  return S_OK;
}
