#pragma once
// The volume of an audio renderer, in hundredths of a decibel: 0 is full volume, -10000
// (AM_VOLUME_SILENCE) is silence. The graph forwards it to its renderers.

#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

constexpr long AM_VOLUME_SILENCE = -10000;

struct IBasicAudio : virtual IUnknown {
  // E_INVALIDARG outside -10000 ... 0.
  virtual HRESULT put_Volume(long volume) = 0;
  virtual HRESULT get_Volume(long* volume) = 0;
};
