#pragma once
// "Manage Filenames": the output file name template (edited, or chosen with "&Change") and
// whether an existing file is overwritten or recordings are numbered. Its values are taken from
// the controls and stored only by Apply, on the dialog's OK. User-interface thread only.

#include <QPointer>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "app/GeneralOptions.h"

class QLineEdit;
class SettingsStore;

class CGenPage1 : public CVTPropertyPage {
 public:
  explicit CGenPage1(SettingsStore& settings);

  // Stores the page's settings, unless its window was never made in this showing.
  void Apply();
  // Runs the destination chooser (button 1048); a chosen path replaces the edit box's text.
  void OnChange();

  const FilenameOptions& Values() const { return m_values; }
  // The tips that follow "Show ToolTips", and the one over the edit box that shows the template.
  CVtToolTipCtrl* ToolTips() const { return m_toolTips; }
  CVtToolTipCtrl* TemplateTip() const { return m_templateTip; }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  void TakeControlValues();
  QLineEdit* TemplateEdit() const;

  SettingsStore& m_settings;
  FilenameOptions m_values;
  QPointer<CVtToolTipCtrl> m_toolTips;
  QPointer<CVtToolTipCtrl> m_templateTip;
};
