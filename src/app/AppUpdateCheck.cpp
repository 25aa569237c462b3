#include "app/AppUpdateCheck.h"

#include "app/FrameIds.h"
#include "app/WindowTimers.h"

AppUpdateCheck::AppUpdateCheck(SettingsStore& settings, WindowTimers& timers, HWND owner, InternetClient& client,
                               UpdateServer server)
    : m_check(settings, client, std::move(server)), m_timers(timers), m_owner(owner) {}

void AppUpdateCheck::Start(HWND window) {
  if (m_check.Start(window)) m_timers.Kill(kUpdateCheckTimer);
}

void AppUpdateCheck::OnResponse(WPARAM wParam, LPARAM) {
  if (wParam != kUpdateNotifyParameter) return;
  m_timers.Kill(kUpdateCheckTimer);
  m_check.OnResponse(m_owner, wParam);
}

void AppUpdateCheck::Shutdown(std::chrono::milliseconds) { m_check.Cancel(); }
