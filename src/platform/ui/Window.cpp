#include "platform/ui/Window.h"

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) return false;
  window->Post(message, wParam, lParam);
  return true;
}
