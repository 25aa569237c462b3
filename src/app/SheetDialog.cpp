#include "app/SheetDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/CVTPropertySheet.h"
#include "app/ControlId.h"
#include "platform/ui/MessageBox.h"

QSize DialogUnitsToPixels(const QWidget* widget, int horizontal, int vertical) {
  const QFontMetrics metrics = widget->fontMetrics();
  const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const double averageWidth = metrics.horizontalAdvance(alphabet) / static_cast<double>(alphabet.size());
  return QSize(qRound(horizontal * averageWidth / 4), qRound(vertical * metrics.height() / 8.0));
}

QDialog* NewSheetDialog(QWidget* parent, const QString& caption, CVTPropertySheet& sheet, QSize frameDialogUnits,
                        const std::function<void()>& onOK) {
  auto* window = new QDialog(parent);
  window->setWindowTitle(caption);
  // A closed dialog goes at once, and with it what its pages hold open (a mixer).
  QObject::connect(window, &QDialog::finished, window, &QObject::deleteLater);

  auto* placeholder = new QWidget(window);
  SetControlId(placeholder, kSheetPlaceholderId);
  auto* placeLayout = new QGridLayout(placeholder);
  placeLayout->setContentsMargins(0, 0, 0, 0);
  // A minimum, not a fixed size, so the dialog keeps its size as pages are first shown
  // while texts that need more room still get it.
  const QSize frame = DialogUnitsToPixels(placeholder, frameDialogUnits.width(), frameDialogUnits.height());
  placeLayout->setColumnMinimumWidth(0, frame.width());
  placeLayout->setRowMinimumHeight(0, frame.height());
  sheet.SetTabPadding(8, 4);
  placeLayout->addWidget(sheet.Create(placeholder), 0, 0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, window);
  SetControlId(buttons->button(QDialogButtonBox::Ok), IDOK);
  SetControlId(buttons->button(QDialogButtonBox::Cancel), IDCANCEL);
  QObject::connect(buttons, &QDialogButtonBox::accepted, window, onOK);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);

  auto* layout = new QVBoxLayout(window);
  layout->addWidget(placeholder, 1);
  layout->addWidget(buttons);
  return window;
}

int RunSheetDialog(QDialog* window) {
  const QPointer<QDialog> shown(window);
  const int result = window->exec() == QDialog::Accepted ? IDOK : IDCANCEL;
  delete shown.data();
  return result;
}
