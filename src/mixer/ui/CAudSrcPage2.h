#pragma once
// The "Device Settings" page: sampling frequency (1043), channels (1044), bits per sample
// (1045) and latency (1046) for the device chosen on the audio device page, offered as the
// device's capabilities allow and stored as its "Device Settings %d" record by OnApply.
//
// The lists describe the device they were read for: when the chosen device has changed by
// the time the page is shown again, they are read anew, and OnApply stores for the device
// the lists describe. User-interface thread only.

#include <QPointer>
#include <array>
#include <functional>

#include "app/CVTPropertyPage.h"
#include "mixer/ui/DeviceFormatChoices.h"

class QComboBox;
class SettingsStore;

class CAudSrcPage2 : public CVTPropertyPage {
 public:
  static constexpr int kSampleRateList = 1043;
  static constexpr int kChannelsList = 1044;
  static constexpr int kBitsList = 1045;
  static constexpr int kLatencyList = 1046;

  // `currentDevice` gives the dialog's current device index.
  CAudSrcPage2(SettingsStore& settings, std::function<int()> currentDevice);

  // Stores the record of the four choices; a list without a choice keeps the stored value.
  // Nothing without a window or when the device's capabilities could not be read.
  void OnApply();

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  void LoadDevice(int device);

  SettingsStore& m_settings;
  const std::function<int()> m_currentDevice;
  int m_shownDevice = -1;   // the device the lists were last read for, successfully or not
  bool m_loaded = false;    // the lists hold m_shownDevice's capabilities
  DeviceFormatChoices m_choices;
  std::array<QPointer<QComboBox>, DeviceFormatChoices::kFieldCount> m_lists;
};
