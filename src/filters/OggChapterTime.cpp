#include "filters/OggChapterTime.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

constexpr int64_t kSecond = kUnitsPerSecond;
constexpr int64_t kMinuteDigitWeight = 60 * kSecond;
constexpr int64_t kHourDigitWeight = 3600 * kSecond;
// Weights after two second digits behind a fraction, and after two minute digits.
constexpr int64_t kAfterFractionSeconds = 100 * kSecond;
constexpr int64_t kAfterTwoMinuteDigits = 100 * 60 * kSecond;
// More digits than this would overflow the running value.
constexpr int64_t kLargestWeight = 100'000'000'000'000'000;

// Right to left: each digit is worth `weight`; '.' turns what was read into a fraction of a
// second, ':' moves from seconds to minutes to hours.
std::optional<REFERENCE_TIME> Parse(const std::string& text) {
  int64_t value = 0;
  int64_t weight = 1;
  bool separated = false;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    const char c = *it;
    if (c >= '0' && c <= '9') {
      if (weight > kLargestWeight) return std::nullopt;
      value += (c - '0') * weight;
      weight *= 10;
    } else if (c == '.') {
      separated = true;
      if (value > kSecond || weight > kSecond) return std::nullopt;
      value = value * kSecond / weight;
      weight = kSecond;
    } else if (c == ':') {
      separated = true;
      if (weight < kSecond) {
        value *= kSecond;
        weight = kMinuteDigitWeight;
      } else if (weight == kAfterFractionSeconds) {
        weight = kMinuteDigitWeight;
      } else if (weight == kAfterTwoMinuteDigits) {
        weight = kHourDigitWeight;
      } else {
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  // Digits alone are whole seconds.
  if (!separated && !text.empty()) {
    if (value > INT64_MAX / kSecond) return std::nullopt;
    value *= kSecond;
  }
  return value;
}

}  // namespace

REFERENCE_TIME ParseChapterTime(const std::string& text) { return Parse(text).value_or(0); }

std::string ChapterDisplayName(REFERENCE_TIME start, const std::string& name) {
  const int64_t ms = start / 10000;
  char text[160];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d %s", static_cast<int>(ms / 3600000),
                static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000),
                name.c_str());
  return text;
}
