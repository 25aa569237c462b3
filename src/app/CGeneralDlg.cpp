#include "app/CGeneralDlg.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "app/GeneralPageIds.h"

namespace {

constexpr const char* kTabCaptions[] = {"Manage Filenames", "Audio Options", "Miscellaneous"};

}  // namespace

CGeneralDlg::CGeneralDlg(SettingsStore& settings, QWidget* parent)
    : m_parent(parent), m_page1(settings), m_page2(settings), m_page3(settings) {}

CGeneralDlg::~CGeneralDlg() { delete m_window.data(); }

int CGeneralDlg::DoModal() {
  QDialog* window = CreateWindow();
  const int result = window->exec() == QDialog::Accepted ? IDOK : IDCANCEL;
  delete m_window.data();
  return result;
}

QDialog* CGeneralDlg::CreateWindow() {
  delete m_window.data();
  m_window = new QDialog(m_parent);
  m_window->setWindowTitle(QStringLiteral("General Options"));

  if (!m_pagesAdded) {
    m_sheet.AddPage(&m_page1);
    m_sheet.AddPage(&m_page2);
    m_sheet.AddPage(&m_page3);
    m_pagesAdded = true;
  }
  // The sheet takes exactly the placeholder's place.
  auto* place = new QWidget(m_window);
  SetControlId(place, IDC_GENERAL_SHEET_PLACE);
  auto* placeLayout = new QVBoxLayout(place);
  placeLayout->setContentsMargins(0, 0, 0, 0);
  m_sheet.SetTabPadding(8, 4);
  placeLayout->addWidget(m_sheet.Create(place));
  for (int tab = 0; tab < m_sheet.GetPageCount(); ++tab) m_sheet.SetTabCaption(tab, kTabCaptions[tab]);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_window);
  QObject::connect(buttons, &QDialogButtonBox::accepted, m_window, [this] { OnOK(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, m_window, &QDialog::reject);
  auto* layout = new QVBoxLayout(m_window);
  layout->addWidget(place, 1);
  layout->addWidget(buttons);
  return m_window;
}

void CGeneralDlg::OnOK() {
  m_page1.Apply();
  m_page2.Apply();
  m_page3.Apply();
  m_window->accept();
}
