#pragma once
// Where the update check plugs into the main window: timer 1005 starts it, the worker's
// WM_UPDATE_RESPONSE ends it, and closing the window gives a running worker a grace period.
// Without a hook the timer does nothing. User-interface thread only.

#include <chrono>

#include "platform/ui/Window.h"

class UpdateCheckHook {
 public:
  virtual ~UpdateCheckHook() = default;
  // Timer 1005 fired; `window` receives WM_UPDATE_RESPONSE when the check is done.
  virtual void Start(HWND window) = 0;
  virtual void OnResponse(WPARAM wParam, LPARAM lParam) = 0;
  // Ends a running worker within `grace`.
  virtual void Shutdown(std::chrono::milliseconds grace) = 0;
};
