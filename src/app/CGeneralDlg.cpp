#include "app/CGeneralDlg.h"

#include <QDialog>

#include "app/SheetDialog.h"

namespace {

constexpr const char* kTabCaptions[] = {"Manage Filenames", "Audio Options", "Miscellaneous"};

}  // namespace

CGeneralDlg::CGeneralDlg(SettingsStore& settings, QWidget* parent)
    : m_parent(parent), m_page1(settings), m_page2(settings), m_page3(settings) {}

CGeneralDlg::~CGeneralDlg() { delete m_window.data(); }

int CGeneralDlg::DoModal() { return RunSheetDialog(CreateWindow()); }

QDialog* CGeneralDlg::CreateWindow() {
  delete m_window.data();
  if (!m_pagesAdded) {
    m_sheet.AddPage(&m_page1);
    m_sheet.AddPage(&m_page2);
    m_sheet.AddPage(&m_page3);
    m_pagesAdded = true;
  }
  m_window = NewSheetDialog(m_parent, QStringLiteral("General Options"), m_sheet, QSize(), [this] { OnOK(); });
  for (int tab = 0; tab < m_sheet.GetPageCount(); ++tab) m_sheet.SetTabCaption(tab, kTabCaptions[tab]);
  return m_window;
}

void CGeneralDlg::OnOK() {
  m_page1.Apply();
  m_page2.Apply();
  m_page3.Apply();
  m_window->accept();
}
