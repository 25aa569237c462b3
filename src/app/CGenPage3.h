#pragma once
// "Miscellaneous": explanatory tooltips and automatic update checks. Switching the tooltips
// check box switches this page's tips at once; the settings are stored only by Apply, on the
// dialog's OK. User-interface thread only.

#include <QPointer>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "app/GeneralOptions.h"

class SettingsStore;

class CGenPage3 : public CVTPropertyPage {
 public:
  explicit CGenPage3(SettingsStore& settings);

  // Stores the page's settings, unless its window was never made in this showing.
  void Apply();

  const MiscellaneousOptions& Values() const { return m_values; }
  CVtToolTipCtrl* ToolTips() const { return m_toolTips; }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  void TakeControlValues();
  void OnShowTipsClicked();

  SettingsStore& m_settings;
  MiscellaneousOptions m_values;
  QPointer<CVtToolTipCtrl> m_toolTips;
};
