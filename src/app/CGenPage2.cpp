#include "app/CGenPage2.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "app/GeneralPageIds.h"

namespace {

constexpr const char* kCaption = "Audio Recording options";
constexpr const char* kPreviewTip =
    "Check this if you want to preview audio while recording or setup for recording\n"
    "Useful in calibrating your microphone.\nUse lower latency in audio device configuration";

}  // namespace

CGenPage2::CGenPage2(SettingsStore& settings) : CVTPropertyPage(kCaption), m_settings(settings) {}

void CGenPage2::CreateControls(QWidget* window) {
  window->setWindowTitle(kCaption);
  auto* group = new QGroupBox(kCaption, window);
  auto* preview = new QCheckBox(QStringLiteral("&Preview audio while recording"), group);
  SetControlId(preview, IDC_PREVIEW);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(preview);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);
  layout->addStretch(1);
}

void CGenPage2::OnInitDialog() {
  QWidget* window = Window();
  m_values.Load(m_settings);
  FindControl<QCheckBox>(window, IDC_PREVIEW)->setChecked(m_values.previewWanted);
  m_toolTips = new CVtToolTipCtrl(window);
  m_toolTips->AddTool(window, IDC_PREVIEW, kPreviewTip);
}

void CGenPage2::OnSetActive() { m_toolTips->Activate(ReadShowToolTips(m_settings)); }

void CGenPage2::Apply() {
  if (!HasWindow()) return;
  m_values.previewWanted = FindControl<QCheckBox>(Window(), IDC_PREVIEW)->isChecked();
  m_values.Store(m_settings);
}
