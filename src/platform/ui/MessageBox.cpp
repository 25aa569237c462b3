#include "platform/ui/MessageBox.h"

#include <cstdio>
#include <utility>

namespace {

int WriteToStandardError(HWND, const std::string& text, UINT) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return IDOK;
}

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler = WriteToStandardError;
  return handler;
}

}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

int MessageBox(HWND owner, const std::string& text, UINT flags) { return Handler()(owner, text, flags); }
