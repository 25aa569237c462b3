#include "app/CGenPage3.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "app/GeneralPageIds.h"

namespace {

constexpr const char* kCaption = "General Preferences";
constexpr const char* kShowTipsTip = "Uncheck to stop showing verbose tooltips";
constexpr const char* kAutoUpdateTip = "Check this to automatically notify you of any application updates";

}  // namespace

CGenPage3::CGenPage3(SettingsStore& settings) : CVTPropertyPage(kCaption), m_settings(settings) {}

void CGenPage3::CreateControls(QWidget* window) {
  window->setWindowTitle(kCaption);
  auto* group = new QGroupBox(kCaption, window);
  auto* showTips = new QCheckBox(QStringLiteral("&Show tool tips for various controls"), group);
  SetControlId(showTips, IDC_SHOW_TIPS);
  auto* autoUpdate = new QCheckBox(QStringLiteral("Au&tomatically check for updates and notify me"), group);
  SetControlId(autoUpdate, IDC_AUTO_UPDATE);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(showTips);
  groupLayout->addWidget(autoUpdate);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);
  layout->addStretch(1);
  QObject::connect(showTips, &QCheckBox::clicked, window, [this] { OnShowTipsClicked(); });
}

void CGenPage3::OnInitDialog() {
  QWidget* window = Window();
  m_values.Load(m_settings);
  FindControl<QCheckBox>(window, IDC_SHOW_TIPS)->setChecked(m_values.showToolTips);
  FindControl<QCheckBox>(window, IDC_AUTO_UPDATE)->setChecked(m_values.autoUpdate);
  m_toolTips = new CVtToolTipCtrl(window);
  m_toolTips->AddTool(window, IDC_SHOW_TIPS, kShowTipsTip);
  m_toolTips->AddTool(window, IDC_AUTO_UPDATE, kAutoUpdateTip);
}

void CGenPage3::OnSetActive() { m_toolTips->Activate(ReadShowToolTips(m_settings)); }

void CGenPage3::Apply() {
  if (!HasWindow()) return;
  TakeControlValues();
  m_values.Store(m_settings);
}

void CGenPage3::OnShowTipsClicked() {
  TakeControlValues();
  m_toolTips->Activate(m_values.showToolTips);
}

void CGenPage3::TakeControlValues() {
  m_values.showToolTips = FindControl<QCheckBox>(Window(), IDC_SHOW_TIPS)->isChecked();
  m_values.autoUpdate = FindControl<QCheckBox>(Window(), IDC_AUTO_UPDATE)->isChecked();
}
