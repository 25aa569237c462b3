#pragma once
// The Qt face of the platform's dialog seams: message boxes as QMessageBox with the icon the
// flags ask for, the open-file and save-file dialogs as QFileDialog. User-interface thread only.

#include <QStringList>
#include <string>

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

// Makes message boxes and the file dialogs appear as Qt dialogs.
void InstallQtDialogSeams();

int ShowQtMessageBox(HWND owner, const std::string& text, UINT flags);
bool ShowQtOpenFileDialog(HWND owner, const OpenFileDialogOptions& options, std::string* path);
// Without an owner window the dialog sits over the modal dialog that asked for it.
bool ShowQtSaveFileDialog(HWND owner, const SaveFileDialogOptions& options, std::string* path);

// "Description|patterns|...||" as Qt name filters: "Description (pattern pattern)".
QStringList QtNameFilters(const std::string& filter);
