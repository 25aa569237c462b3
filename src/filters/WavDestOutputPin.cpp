#include "filters/WavDestOutputPin.h"

CWavDestOutputPin::CWavDestOutputPin(const std::string& name, CTransformFilter* filter, HRESULT* result)
    : CTransformOutputPin(name, filter, result) {}

HRESULT CWavDestOutputPin::CheckMediaType(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == MEDIATYPE_Stream && type->subtype == MEDIASUBTYPE_WAVE ? S_OK : S_FALSE;
}
