#pragma once
// The message-box seam: the system's code asks for a box with a fixed text; the Qt shell shows
// a dialog, the CLI prints the text. Called on the user-interface thread only.

#include <functional>
#include <string>

#include "platform/ui/Window.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

using MessageBoxHandler = std::function<int(HWND owner, const std::string& text, UINT flags)>;

// Replaces the handler (the default writes the text to standard error); returns the old one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int MessageBox(HWND owner, const std::string& text, UINT flags);
