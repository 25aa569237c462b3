#pragma once
// The open-file and save-file dialog seams: the system's code describes the dialog, the Qt
// shell shows it, tests answer it. Without a handler the dialog is cancelled. User-interface
// thread only.

#include <functional>
#include <string>

#include "platform/ui/Window.h"

struct OpenFileDialogOptions {
  std::string title;
  // "Description|patterns|Description|patterns||", patterns separated by ';'.
  std::string filter;
  std::string initialFolder;
  size_t maxPathChars = 260;
  bool fileMustExist = true;
  bool hideReadOnly = true;
  bool resizable = true;
};

// Returns true with the chosen path, false when the user cancelled.
using OpenFileDialogHandler = std::function<bool(HWND owner, const OpenFileDialogOptions& options, std::string* path)>;

// Replaces the handler; returns the old one.
OpenFileDialogHandler SetOpenFileDialogHandler(OpenFileDialogHandler handler);

bool ShowOpenFileDialog(HWND owner, const OpenFileDialogOptions& options, std::string* path);

struct SaveFileDialogOptions {
  std::string title;
  // As OpenFileDialogOptions::filter.
  std::string filter;
  // Appended when the chosen name has none: ".mp3" (the dot is optional).
  std::string defaultExtension;
  std::string initialFile;
  std::string initialFolder;
  size_t maxPathChars = 260;
  bool hideReadOnly = true;
  // Ask before an existing file is chosen.
  bool overwritePrompt = false;
};

using SaveFileDialogHandler = std::function<bool(HWND owner, const SaveFileDialogOptions& options, std::string* path)>;

SaveFileDialogHandler SetSaveFileDialogHandler(SaveFileDialogHandler handler);

// Returns true with the chosen path, false when the user cancelled.
bool ShowSaveFileDialog(HWND owner, const SaveFileDialogOptions& options, std::string* path);
