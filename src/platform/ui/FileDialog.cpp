#include "platform/ui/FileDialog.h"

#include <utility>

namespace {

OpenFileDialogHandler& Handler() {
  static OpenFileDialogHandler handler;
  return handler;
}

}  // namespace

OpenFileDialogHandler SetOpenFileDialogHandler(OpenFileDialogHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

bool ShowOpenFileDialog(HWND owner, const OpenFileDialogOptions& options, std::string* path) {
  const OpenFileDialogHandler& handler = Handler();
  return handler && path != nullptr && handler(owner, options, path);
}
