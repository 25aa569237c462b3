#pragma once
// The "Audio Device" page: which mixer device records (1023), which of its input ports feeds
// it (1024) and at what recording volume (1025). Port and volume changes act on the system
// mixer at once; the device choice is stored only by OnApply. The page follows changes that
// others make to the mixer while it is open.
//
// User-interface thread only. The open mixer posts its notifications from the audio backend's
// thread to m_notify, which hands them over on this thread. Each window of the page works
// with a mixer of its own, made when the window is and closed when it goes, so every showing
// sees the devices present at that time.

#include <QPointer>
#include <memory>

#include "app/CVTPropertyPage.h"
#include "mixer/ui/AudioSourceSession.h"
#include "mixer/ui/MixerNotifyTarget.h"

class QComboBox;
class QObject;
class QSlider;
class SettingsStore;

class CAudSrcPage1 : public CVTPropertyPage {
 public:
  static constexpr int kDeviceList = 1023;
  static constexpr int kPortList = 1024;
  static constexpr int kVolumeSlider = 1025;

  // `dialog` receives WM_DEVICE_CHOSEN (sent, wParam the device index) and outlives the page.
  CAudSrcPage1(SettingsStore& settings, QObject* dialog);

  // Stores the chosen device as "Current Device"; nothing without a window.
  void OnApply();

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;

 private:
  bool OpenDevice(int index);
  void SendDeviceChosen(int index);
  void OnDeviceChanged(int index);
  void OnPortChanged(int index);
  void OnVolumeMoved(int position);
  void OnMixerMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void ShowPorts();
  void ShowSelectedPort(int port);
  void ShowVolume();

  SettingsStore& m_settings;
  QObject* const m_dialog;
  MixerNotifyTarget m_notify;
  // After m_notify: its mixer stops posting to m_notify before m_notify goes. Exists while
  // the page has a window.
  std::unique_ptr<AudioSourceSession> m_session;
  QPointer<QComboBox> m_devices;
  QPointer<QComboBox> m_ports;
  QPointer<QSlider> m_volume;
};
