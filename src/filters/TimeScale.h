#pragma once
// Converting between 100-ns reference times and sample or granule counts without overflow.

#include <cstdint>
#include <limits>

// value * multiplier / divisor, rounded to nearest (halves away from zero) and held to the
// 64-bit range. `divisor` must not be 0.
inline int64_t ScaleRounded(int64_t value, int64_t multiplier, int64_t divisor) {
  __int128 product = static_cast<__int128>(value) * multiplier;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const __int128 half = divisor / 2;
  const __int128 quotient = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
  if (quotient > std::numeric_limits<int64_t>::max()) return std::numeric_limits<int64_t>::max();
  if (quotient < std::numeric_limits<int64_t>::min()) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(quotient);
}
