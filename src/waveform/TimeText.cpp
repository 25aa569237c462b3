#include "waveform/TimeText.h"

#include <cstdio>

namespace {

struct Clock {
  int hours;
  int minutes;
  double seconds;
};

Clock Split(double t) {
  const int hours = static_cast<int>(t / 3600);
  const int minutes = static_cast<int>((t - 3600.0 * hours) / 60);
  return {hours, minutes, t - 3600.0 * hours - 60.0 * minutes};
}

}  // namespace

std::string DurationText(double seconds) {
  const Clock clock = Split(seconds);
  const int wholeSeconds = static_cast<int>(clock.seconds);
  char text[19];
  if (clock.hours > 0)
    std::snprintf(text, sizeof text, "%d:%2d:%2d", clock.hours, clock.minutes, wholeSeconds);
  else
    std::snprintf(text, sizeof text, "%02d:%02d", clock.minutes, wholeSeconds);
  return text;
}

std::string RunningTimeText(const char* label, double seconds) {
  const Clock clock = Split(seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02.1f", clock.hours, clock.minutes, clock.seconds);
  return std::string(label) + text;
}
