#pragma once
// A sample's stream times as the harness sends and records them: 100-ns REFERENCE_TIME, or
// byte positions for byte-stream types.

#include "platform/media/MediaSample.h"

struct SampleTimes {
  REFERENCE_TIME start = 0;
  REFERENCE_TIME end = 0;

  friend bool operator==(const SampleTimes&, const SampleTimes&) = default;
};
