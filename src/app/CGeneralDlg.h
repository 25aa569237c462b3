#pragma once
// "General Options": the output file name template and overwriting, preview while recording,
// tooltips and automatic update checks, on three tabs. The dialog object is made once with the
// document and keeps its sheet and pages; each showing makes a new window for them. OK applies
// the pages in tab order (a page whose tab was not opened in this showing stores nothing);
// Cancel stores nothing. User-interface thread only.

#include <QDialog>
#include <QPointer>

#include "app/CGenPage1.h"
#include "app/CGenPage2.h"
#include "app/CGenPage3.h"
#include "app/CVTPropertySheet.h"
#include "platform/ui/ModalDialog.h"

class QWidget;
class SettingsStore;

class CGeneralDlg : public ModalDialog {
 public:
  // `parent` (may be null) is the window the dialog is shown over; it must outlive every
  // showing, not the dialog object.
  CGeneralDlg(SettingsStore& settings, QWidget* parent);
  ~CGeneralDlg() override;
  CGeneralDlg(const CGeneralDlg&) = delete;
  CGeneralDlg& operator=(const CGeneralDlg&) = delete;

  int DoModal() override;
  // Makes the dialog's window for one showing (an earlier one goes) without running it.
  QDialog* CreateWindow();
  QDialog* Window() const { return m_window; }

  CVTPropertySheet& Sheet() { return m_sheet; }
  CGenPage1& FilenamesPage() { return m_page1; }
  CGenPage2& AudioPage() { return m_page2; }
  CGenPage3& MiscellaneousPage() { return m_page3; }

 private:
  void OnOK();

  QPointer<QWidget> m_parent;
  CVTPropertySheet m_sheet;
  CGenPage1 m_page1;
  CGenPage2 m_page2;
  CGenPage3 m_page3;
  bool m_pagesAdded = false;
  QPointer<QDialog> m_window;
};
