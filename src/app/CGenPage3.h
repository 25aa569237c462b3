#pragma once
// "Miscellaneous": explanatory tooltips and automatic update checks. Switching the tooltips
// check box switches this page's tips at once; the settings are stored only by Apply, on the
// dialog's OK. User-interface thread only.

#include "app/CGeneralPage.h"

class CGenPage3 : public CGeneralPage<MiscellaneousOptions> {
 public:
  explicit CGenPage3(SettingsStore& settings);

 protected:
  void CreateControls(QWidget* window) override;
  void ShowValues() override;
  void TakeControlValues() override;

 private:
  void OnShowTipsClicked();
};
