#pragma once
// The "Audio Device Settings" dialog (Hardware Configuration): an "Audio Device" page that
// picks the device, its input port and recording volume, and a "Device Settings" page with
// the device's capture format and latency, on a tabbed sheet. Port and volume changes are in
// effect at once whichever button closes the dialog; OK stores the device choice and the
// format record, Cancel stores nothing.
//
// The object lives as long as its owner (the document) and makes a new window for each
// showing. User-interface thread only.

#include <QObject>
#include <QPointer>

#include "app/CVTPropertySheet.h"
#include "mixer/ui/CAudSrcPage1.h"
#include "mixer/ui/CAudSrcPage2.h"
#include "platform/ui/ModalDialog.h"

class QDialog;
class QWidget;
class SettingsStore;

class CAudioSrcDlg : public QObject, public ModalDialog {
 public:

  CAudioSrcDlg(SettingsStore& settings, QWidget* parent);
  ~CAudioSrcDlg() override;

  int DoModal() override;
  // Makes the dialog's window (replacing an earlier one) without showing it; OK and Cancel
  // close it with their result, and it deletes itself once closed.
  QDialog* CreateWindow();
  // The device index page 1 chose last (WM_DEVICE_CHOSEN).
  int CurrentDevice() const { return m_currentDevice; }

 protected:
  bool event(QEvent* event) override;

 private:
  void OnOK();

  QPointer<QWidget> m_parent;
  int m_currentDevice = 0;
  CAudSrcPage1 m_page1;
  CAudSrcPage2 m_page2;
  CVTPropertySheet m_sheet;
  QPointer<QDialog> m_window;
};
