#pragma once
// The main window's update check: timer 1005 starts it (and stops while a transfer runs, so
// there is one at a time; offline it keeps ticking), WM_UPDATE_RESPONSE stops the timer and
// offers the download, and closing the window cancels the transfer. User-interface thread only.

#include <chrono>

#include "app/UpdateCheckHook.h"
#include "update/UpdateCheck.h"

class WindowTimers;

class AppUpdateCheck final : public UpdateCheckHook {
 public:
  // `owner` owns the message boxes; `timers` are the main window's.
  AppUpdateCheck(SettingsStore& settings, WindowTimers& timers, HWND owner,
                 InternetClient& client = SystemInternetClient(), UpdateServer server = ConfiguredUpdateServer());

  void Start(HWND window) override;
  void OnResponse(WPARAM wParam, LPARAM lParam) override;
  // Cancelling ends the transfer well within the grace; the worker is joined, never killed.
  void Shutdown(std::chrono::milliseconds grace) override;

 private:
  UpdateCheck m_check;
  WindowTimers& m_timers;
  HWND m_owner;
};
