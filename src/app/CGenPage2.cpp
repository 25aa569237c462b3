#include "app/CGenPage2.h"

#include <QCheckBox>

#include "app/ControlId.h"
#include "app/GeneralPageIds.h"

CGenPage2::CGenPage2(SettingsStore& settings)
    : CGeneralPage("Audio Recording options", settings,
                   {{IDC_PREVIEW,
                     "Check this if you want to preview audio while recording or setup for recording\n"
                     "Useful in calibrating your microphone.\nUse lower latency in audio device configuration"}}) {}

void CGenPage2::CreateControls(QWidget* window) {
  auto* preview = new QCheckBox(QStringLiteral("&Preview audio while recording"));
  SetControlId(preview, IDC_PREVIEW);
  CreateGroup(window)->addWidget(preview);
}

void CGenPage2::ShowValues() { FindControl<QCheckBox>(Window(), IDC_PREVIEW)->setChecked(m_values.previewWanted); }

void CGenPage2::TakeControlValues() {
  m_values.previewWanted = FindControl<QCheckBox>(Window(), IDC_PREVIEW)->isChecked();
}
