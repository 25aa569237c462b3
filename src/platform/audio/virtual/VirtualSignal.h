#pragma once
// What the virtual capture device hears: frames already in the device's format. Read on the
// capture thread only.

#include <cstddef>
#include <cstdint>

#include "platform/media/HResult.h"

class VirtualSignal {
 public:
  virtual ~VirtualSignal() = default;

  // Fills `output` with up to `frames` frames; fewer only where the input ends. A read
  // failure gives its code with a readable text through SetErrorInfo.
  virtual HRESULT Read(uint8_t* output, size_t frames, size_t* framesRead) = 0;
};
