#include "mixer/ui/CAudioSrcDlg.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "app/WindowMessageEvent.h"
#include "engine/Messages.h"

CAudioSrcDlg::CAudioSrcDlg(SettingsStore& settings, QWidget* parent)
    : m_parent(parent), m_page1(settings, this), m_page2(settings, [this] { return m_currentDevice; }) {
  m_sheet.AddPage(&m_page1);
  m_sheet.AddPage(&m_page2);
}

// The window goes first, while the pages it shows still exist.
CAudioSrcDlg::~CAudioSrcDlg() { delete m_window.data(); }

int CAudioSrcDlg::DoModal() { return CreateWindow()->exec() == QDialog::Accepted ? IDOK : IDCANCEL; }

QDialog* CAudioSrcDlg::CreateWindow() {
  delete m_window.data();
  m_window = new QDialog(m_parent);
  m_window->setWindowTitle("Audio Device Settings");
  QObject::connect(m_window.data(), &QDialog::finished, m_window.data(), &QObject::deleteLater);

  auto* frame = new QFrame(m_window);
  SetControlId(frame, kSheetFrame);
  // About the frame's size in the dialog's resources, so that the dialog does not grow when
  // the second page is first shown; larger where the texts need it.
  const QFontMetrics metrics = frame->fontMetrics();
  frame->setMinimumSize(metrics.averageCharWidth() * 66, metrics.height() * 15);
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_window);
  SetControlId(buttons->button(QDialogButtonBox::Ok), IDOK);
  SetControlId(buttons->button(QDialogButtonBox::Cancel), IDCANCEL);
  QObject::connect(buttons, &QDialogButtonBox::accepted, m_window.data(), [this] { OnOK(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, m_window.data(), &QDialog::reject);
  auto* layout = new QVBoxLayout(m_window);
  layout->addWidget(frame);
  layout->addWidget(buttons);

  m_sheet.SetTabPadding(8, 4);
  frameLayout->addWidget(m_sheet.Create(frame));
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
