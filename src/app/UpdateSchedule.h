#pragma once
// Whether start-up arms the update check, from the time of the last check.

#include <cstdint>

enum class UpdateCheckPlan {
  None,        // checked within the last ten whole days
  Schedule,    // more than ten whole days ago: arm the update check
  ResetClock,  // the last check lies in the future (the clock was set back): store now instead
};

inline constexpr int kUpdateCheckDelayMs = 11928;

// `lastChecked` is the stored low 32 bits of the last check's time, `now` the current time,
// both in seconds since 1970-01-01 UTC.
UpdateCheckPlan PlanUpdateCheck(uint32_t lastChecked, int64_t now);
