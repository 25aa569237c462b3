#include "app/UpdateSchedule.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysBetweenChecks = 10;

}  // namespace

UpdateCheckPlan PlanUpdateCheck(uint32_t lastChecked, int64_t now) {
  const int64_t days = (now - static_cast<int64_t>(lastChecked)) / kSecondsPerDay;
  if (days > kDaysBetweenChecks) return UpdateCheckPlan::Schedule;
  if (days < 0) return UpdateCheckPlan::ResetClock;
  return UpdateCheckPlan::None;
}
