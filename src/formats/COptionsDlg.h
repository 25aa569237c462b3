#pragma once
// The export format dialog, "Configure audio recorder": a format chooser tab and a second tab
// with the settings page of the chosen format, which follows the chooser at once. OK stores
// "Format" and the record of each format page that has a window; Cancel stores nothing.
//
// The dialog object, its sheet and its pages live as long as their owner (the document); the
// window is made for each showing and the current format is reloaded from "Format" each time.
// User-interface thread only.

#include <QDialog>
#include <QPointer>

#include "app/CVTPropertySheet.h"
#include "formats/CTabPage1.h"
#include "formats/CTabPage2.h"
#include "formats/CTabPage3.h"
#include "formats/CTabPage4.h"
#include "formats/CTabPage5.h"
#include "platform/ui/ModalDialog.h"

class SettingsStore;

class COptionsDlg : public ModalDialog {
 public:

  // `parent` may go before the dialog object.
  COptionsDlg(SettingsStore& settings, QWidget* parent);
  ~COptionsDlg() override;

  int DoModal() override;

  // Makes the dialog's window (not shown), replacing an earlier one; the object owns it. OK
  // and Cancel close it (hide, with the QDialog's result) without destroying it.
  QDialog* CreateWindow();
  QDialog* Window() const { return m_window.data(); }

  int CurrentFormat() const { return m_format; }
  CVTPropertySheet& Sheet() { return m_sheet; }
  CTabPage1& ChooserPage() { return m_chooser; }
  CTabPage2& WmaPage() { return m_wmaPage; }
  CTabPage3& Mp3Page() { return m_mp3Page; }
  CTabPage4& OggPage() { return m_oggPage; }
  CTabPage5& WavPage() { return m_wavPage; }

 private:
  // Makes `format` current and the second tab its settings page; other codes are ignored.
  void SwitchFormat(int format);
  void OnOK();

  SettingsStore& m_settings;
  QPointer<QWidget> m_parent;
  QPointer<QDialog> m_window;
  int m_format = 200;
  CVTPropertySheet m_sheet;
  CTabPage1 m_chooser;
  CTabPage2 m_wmaPage;
  CTabPage3 m_mp3Page;
  CTabPage4 m_oggPage;
  CTabPage5 m_wavPage;
};
