#pragma once
// What the configuration dialogs share: a window made anew for each showing, in which the
// property sheet takes the place of a placeholder (id 1018) of at least the frame size of the
// dialog's resources, above OK and Cancel (ids IDOK and IDCANCEL). User-interface thread only.

#include <QSize>
#include <QString>
#include <functional>

class CVTPropertySheet;
class QDialog;
class QWidget;

inline constexpr int kSheetPlaceholderId = 1018;

// Dialog units at the widget's font: a horizontal unit is a quarter of the average character
// width, a vertical one an eighth of the character height.
QSize DialogUnitsToPixels(const QWidget* widget, int horizontal, int vertical);

// The dialog's window with the sheet's window made inside the placeholder, its tabs padded 8
// by 4 pixels. OK calls `onOK`, which applies the pages and accepts; Cancel rejects; either
// way the window is deleted once control returns to the event loop. The placeholder grows
// where a page needs more room than `frameDialogUnits`.
QDialog* NewSheetDialog(QWidget* parent, const QString& caption, CVTPropertySheet& sheet, QSize frameDialogUnits,
                        const std::function<void()>& onOK);

// Shows the window modally, then destroys it: IDOK or IDCANCEL.
int RunSheetDialog(QDialog* window);
