#include "app/QtDialogSeams.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

#include "app/ProductInfo.h"

namespace {

constexpr UINT kIconMask = 0xF0;
constexpr UINT kButtonsMask = 0x0F;

QWidget* OwnerWidget(HWND owner) { return dynamic_cast<QWidget*>(owner); }

// Runs the dialog; a path too long for the caller's buffer counts as cancelled.
bool TakeChosenFile(QFileDialog& dialog, size_t maxPathChars, std::string* path) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::string chosen = dialog.selectedFiles().front().toStdString();
  if (chosen.size() >= maxPathChars) return false;
  *path = chosen;
  return true;
}

QMessageBox::Icon IconFor(UINT flags) {
  switch (flags & kIconMask) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

void InstallQtDialogSeams() {
  SetMessageBoxHandler(ShowQtMessageBox);
  SetOpenFileDialogHandler(ShowQtOpenFileDialog);
  SetSaveFileDialogHandler(ShowQtSaveFileDialog);
}

int ShowQtMessageBox(HWND owner, const std::string& text, UINT flags) {
  const bool okCancel = (flags & kButtonsMask) == MB_OKCANCEL;
  QMessageBox box(IconFor(flags), kProductName, QString::fromStdString(text),
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, OwnerWidget(owner));
  // Escape or closing the box counts as Cancel where there is one.
  return box.exec() == QMessageBox::Ok || !okCancel ? IDOK : IDCANCEL;
}

bool ShowQtOpenFileDialog(HWND owner, const OpenFileDialogOptions& options, std::string* path) {
  QFileDialog dialog(OwnerWidget(owner), QString::fromStdString(options.title),
                     QString::fromStdString(options.initialFolder));
  dialog.setNameFilters(QtNameFilters(options.filter));
  dialog.setFileMode(options.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setSizeGripEnabled(options.resizable);
  return TakeChosenFile(dialog, options.maxPathChars, path);
}

bool ShowQtSaveFileDialog(HWND owner, const SaveFileDialogOptions& options, std::string* path) {
  QWidget* parent = OwnerWidget(owner);
  QFileDialog dialog(parent != nullptr ? parent : QApplication::activeModalWidget(),
                     QString::fromStdString(options.title), QString::fromStdString(options.initialFolder));
  dialog.setNameFilters(QtNameFilters(options.filter));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QString suffix = QString::fromStdString(options.defaultExtension);
  if (suffix.startsWith('.')) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.overwritePrompt);
  if (!options.initialFile.empty()) dialog.selectFile(QString::fromStdString(options.initialFile));
  return TakeChosenFile(dialog, options.maxPathChars, path);
}

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
  }
  return filters;
}
