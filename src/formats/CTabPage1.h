#pragma once
// The format chooser, the export dialog's first tab: one radio button per export format. A
// click tells the dialog the chosen format at once, so the second tab follows the buttons.
// User-interface thread only.

#include <functional>

#include "app/CVTPropertyPage.h"

class SettingsStore;

class CTabPage1 : public CVTPropertyPage {
 public:
  static constexpr int kFirstRadioId = 1019;  // WMA; then MP3, Ogg, WAV

  // `onFormatChosen` gets the export format code of the clicked button.
  CTabPage1(SettingsStore& settings, std::function<void(int format)> onFormatChosen);

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;

 private:
  SettingsStore& m_settings;
  std::function<void(int format)> m_onFormatChosen;
};
