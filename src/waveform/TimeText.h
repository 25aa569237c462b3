#pragma once
// The recorder's two ways of showing a time: durations in the bars, running times in the view.

#include <string>

// "%02d:%02d" (minutes, seconds), or from one hour on "%d:%2d:%2d"; seconds are truncated.
std::string DurationText(double seconds);

// `label` followed by "%02d:%02d:%02.1f" (hours, minutes, seconds with one decimal; seconds
// below 10 print without a leading zero).
std::string RunningTimeText(const char* label, double seconds);
