#pragma once
// The WAV writer's output: offers and accepts only a byte stream of a WAVE file, so it connects
// to a file writer and nothing that expects audio.

#include "platform/media/TransformFilter.h"

class CWavDestOutputPin : public CTransformOutputPin {
 public:
  CWavDestOutputPin(const std::string& name, CTransformFilter* filter, HRESULT* result);

  // S_OK for major type stream with subtype wave, S_FALSE for anything else.
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* type) override;
};
