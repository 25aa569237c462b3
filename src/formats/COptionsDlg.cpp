#include "formats/COptionsDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "formats/FormatPageWidgets.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"

COptionsDlg::COptionsDlg(SettingsStore& settings, QWidget* parent)
    : m_settings(settings),
      m_parent(parent),
      m_chooser(settings, [this](int format) { SwitchFormat(format); }),
      m_wmaPage(settings),
      m_mp3Page(settings),
      m_oggPage(settings),
      m_wavPage(settings) {}

COptionsDlg::~COptionsDlg() { delete m_window.data(); }

int COptionsDlg::DoModal() {
  QDialog* window = CreateWindow();
  const int result = window->exec();
  delete m_window.data();
  return result == QDialog::Accepted ? IDOK : IDCANCEL;
}

QDialog* COptionsDlg::CreateWindow() {
  delete m_window.data();
  m_window = new QDialog(m_parent.data());
  m_window->setWindowTitle(QStringLiteral("Configure audio recorder"));

  // The sheet's place in the dialog.
  auto* frame = new QWidget(m_window);
  SetControlId(frame, kSheetFrameId);
  auto* frameLayout = new QGridLayout(frame);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  // At least the frame's size in the dialog's resources; larger where the texts need it.
  const QSize frameSize = DialogUnitsToPixels(frame, 269, 132);
  frameLayout->setColumnMinimumWidth(0, frameSize.width());
  frameLayout->setRowMinimumHeight(0, frameSize.height());
  if (m_sheet.GetPageCount() == 0) m_sheet.AddPage(&m_chooser);
  frameLayout->addWidget(m_sheet.Create(frame), 0, 0);
  m_sheet.SetTabPadding(8, 4);
  m_sheet.SetTabCaption(0, "Audio Format");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_window);
  SetControlId(buttons->button(QDialogButtonBox::Ok), IDOK);
  SetControlId(buttons->button(QDialogButtonBox::Cancel), IDCANCEL);
  QObject::connect(buttons, &QDialogButtonBox::accepted, m_window.data(), [this] { OnOK(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, m_window.data(), &QDialog::reject);

  auto* layout = new QVBoxLayout(m_window);
  layout->addWidget(frame, 1);
  layout->addWidget(buttons);

  int format = m_format;
  m_settings.GetFormat(format);
  // A stored code that names no export format leaves the current one.
  SwitchFormat(IsExportFormat(format) ? format : m_format);
  return m_window.data();
}

void COptionsDlg::SwitchFormat(int format) {
  CVTPropertyPage* page = format == kFormatWma   ? static_cast<CVTPropertyPage*>(&m_wmaPage)
                          : format == kFormatMp3 ? static_cast<CVTPropertyPage*>(&m_mp3Page)
                          : format == kFormatOgg ? static_cast<CVTPropertyPage*>(&m_oggPage)
                          : format == kFormatWav ? static_cast<CVTPropertyPage*>(&m_wavPage)
                                                 : nullptr;
  if (page == nullptr) return;
  m_format = format;
  if (m_sheet.GetPageCount() == 2) m_sheet.RemovePage(1);
  m_sheet.AddPage(page);
  m_sheet.SetTabCaption(1, page->Caption());
}

void COptionsDlg::OnOK() {
  m_settings.SetFormat(m_format);
  m_wmaPage.Apply();
  m_mp3Page.Apply();
  m_oggPage.Apply();
  m_wavPage.Apply();
  m_window->accept();
}
