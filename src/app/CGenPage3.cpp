#include "app/CGenPage3.h"

#include <QCheckBox>

#include "app/ControlId.h"
#include "app/GeneralPageIds.h"

CGenPage3::CGenPage3(SettingsStore& settings)
    : CGeneralPage("General Preferences", settings,
                   {{IDC_SHOW_TIPS, "Uncheck to stop showing verbose tooltips"},
                    {IDC_AUTO_UPDATE, "Check this to automatically notify you of any application updates"}}) {}

void CGenPage3::CreateControls(QWidget* window) {
  auto* showTips = new QCheckBox(QStringLiteral("&Show tool tips for various controls"));
  SetControlId(showTips, IDC_SHOW_TIPS);
  auto* autoUpdate = new QCheckBox(QStringLiteral("Au&tomatically check for updates and notify me"));
  SetControlId(autoUpdate, IDC_AUTO_UPDATE);
  QVBoxLayout* group = CreateGroup(window);
  group->addWidget(showTips);
  group->addWidget(autoUpdate);
  QObject::connect(showTips, &QCheckBox::clicked, window, [this] { OnShowTipsClicked(); });
}

void CGenPage3::ShowValues() {
  FindControl<QCheckBox>(Window(), IDC_SHOW_TIPS)->setChecked(m_values.showToolTips);
  FindControl<QCheckBox>(Window(), IDC_AUTO_UPDATE)->setChecked(m_values.autoUpdate);
}

void CGenPage3::TakeControlValues() {
  m_values.showToolTips = FindControl<QCheckBox>(Window(), IDC_SHOW_TIPS)->isChecked();
  m_values.autoUpdate = FindControl<QCheckBox>(Window(), IDC_AUTO_UPDATE)->isChecked();
}

void CGenPage3::OnShowTipsClicked() {
  TakeControlValues();
  m_toolTips->Activate(m_values.showToolTips);
}
