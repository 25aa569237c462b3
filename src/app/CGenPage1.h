#pragma once
// "Manage Filenames": the output file name template (edited, or chosen with "&Change") and
// whether an existing file is overwritten or recordings are numbered. A second tip, always
// active, shows the template over its edit box. User-interface thread only.

#include "app/CGeneralPage.h"

class QLineEdit;

class CGenPage1 : public CGeneralPage<FilenameOptions> {
 public:
  explicit CGenPage1(SettingsStore& settings);

  // Runs the destination chooser (button 1048); a chosen path replaces the edit box's text.
  void OnChange();

  CVtToolTipCtrl* TemplateTip() const { return m_templateTip; }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void ShowValues() override;
  void TakeControlValues() override;

 private:
  QLineEdit* TemplateEdit() const;

  QPointer<CVtToolTipCtrl> m_templateTip;
};
