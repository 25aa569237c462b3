#include "app/QtDialogSeams.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

#include "app/ProductInfo.h"

namespace {

constexpr UINT kIconMask = 0xF0;
constexpr UINT kButtonsMask = 0x0F;

QWidget* OwnerWidget(HWND owner) { return dynamic_cast<QWidget*>(owner); }

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
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::string chosen = dialog.selectedFiles().front().toStdString();
  if (chosen.size() >= options.maxPathChars) return false;
  *path = chosen;
  return true;
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
