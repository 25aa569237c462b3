#include "mixer/ui/CAudioSrcDlg.h"

#include <QDialog>

#include "app/SheetDialog.h"
#include "app/WindowMessageEvent.h"
#include "engine/Messages.h"

CAudioSrcDlg::CAudioSrcDlg(SettingsStore& settings, QWidget* parent)
    : m_parent(parent), m_page1(settings, this), m_page2(settings, [this] { return m_currentDevice; }) {
  m_sheet.AddPage(&m_page1);
  m_sheet.AddPage(&m_page2);
}

// The window goes first, while the pages it shows still exist.
CAudioSrcDlg::~CAudioSrcDlg() { delete m_window.data(); }

int CAudioSrcDlg::DoModal() { return RunSheetDialog(CreateWindow()); }

QDialog* CAudioSrcDlg::CreateWindow() {
  delete m_window.data();
  // The frame keeps the dialog's size when the second page is first shown.
  m_window = NewSheetDialog(m_parent, QStringLiteral("Audio Device Settings"), m_sheet, QSize(269, 120),
                            [this] { OnOK(); });
  m_sheet.SetTabCaption(0, "Audio Device");
  m_sheet.SetTabCaption(1, "Device Settings");
  return m_window;
}

void CAudioSrcDlg::OnOK() {
  m_page1.OnApply();
  m_page2.OnApply();
  m_window->accept();
}

bool CAudioSrcDlg::event(QEvent* event) {
  const WindowMessageEvent* message = WindowMessageEvent::From(event);
  if (message == nullptr || message->Message() != WM_DEVICE_CHOSEN) return QObject::event(event);
  m_currentDevice = static_cast<int>(message->WParam());
  return true;
}
