#include "platform/ui/FileDialog.h"

#include <utility>

namespace {

template <typename Handler>
Handler& Installed() {
  static Handler handler;
  return handler;
}

template <typename Handler, typename Options>
bool Show(HWND owner, const Options& options, std::string* path) {
  const Handler& handler = Installed<Handler>();
  return handler && path != nullptr && handler(owner, options, path);
}

}  // namespace

OpenFileDialogHandler SetOpenFileDialogHandler(OpenFileDialogHandler handler) {
  return std::exchange(Installed<OpenFileDialogHandler>(), std::move(handler));
}

bool ShowOpenFileDialog(HWND owner, const OpenFileDialogOptions& options, std::string* path) {
  return Show<OpenFileDialogHandler>(owner, options, path);
}

SaveFileDialogHandler SetSaveFileDialogHandler(SaveFileDialogHandler handler) {
  return std::exchange(Installed<SaveFileDialogHandler>(), std::move(handler));
}

bool ShowSaveFileDialog(HWND owner, const SaveFileDialogOptions& options, std::string* path) {
  return Show<SaveFileDialogHandler>(owner, options, path);
}
