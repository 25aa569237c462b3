#include "formats/COptionsDlg.h"

#include "app/SheetDialog.h"
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

int COptionsDlg::DoModal() { return RunSheetDialog(CreateWindow()); }

QDialog* COptionsDlg::CreateWindow() {
  delete m_window.data();
  if (m_sheet.GetPageCount() == 0) m_sheet.AddPage(&m_chooser);
  m_window = NewSheetDialog(m_parent.data(), QStringLiteral("Configure audio recorder"), m_sheet, QSize(269, 132),
                            [this] { OnOK(); });
  m_sheet.SetTabCaption(0, "Audio Format");

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
