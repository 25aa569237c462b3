#pragma once
// "Audio Options": whether the user wants to hear the input while recording (the user's bit of
// "Preview Audio"; the audio source's bit is kept as it is). User-interface thread only.

#include <QPointer>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "app/GeneralOptions.h"

class SettingsStore;

class CGenPage2 : public CVTPropertyPage {
 public:
  explicit CGenPage2(SettingsStore& settings);

  // Stores the page's setting, unless its window was never made in this showing.
  void Apply();

  const AudioOptions& Values() const { return m_values; }
  CVtToolTipCtrl* ToolTips() const { return m_toolTips; }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  SettingsStore& m_settings;
  AudioOptions m_values;
  QPointer<CVtToolTipCtrl> m_toolTips;
};
