#include "app/CGenPage1.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/CVtToolTipCtrl.h"
#include "app/ControlId.h"
#include "app/GeneralPageIds.h"
#include "settings/OutputFileNaming.h"

namespace {

constexpr const char* kCaption = "Configure filename for recorded audio";
constexpr int kTemplateVisibleChars = 56;
constexpr const char* kAutoNamingTip =
    "If file exists, numbers are appended to the filename to avoid overwrites.\ne.g., vtaudio001";
constexpr const char* kOverwriteTip =
    "If file exists, it is completely overwritten. Select this carefully or you could lose data";
constexpr const char* kChangeTip = "Change the current filename template to something else";

}  // namespace

CGenPage1::CGenPage1(SettingsStore& settings) : CVTPropertyPage(kCaption), m_settings(settings) {}

void CGenPage1::CreateControls(QWidget* window) {
  window->setWindowTitle(kCaption);
  auto* group = new QGroupBox(kCaption, window);

  auto* templateEdit = new QLineEdit(group);
  SetControlId(templateEdit, IDC_TEMPLATE);
  // Room for a typical full path; the tip shows the rest.
  templateEdit->setMinimumWidth(templateEdit->fontMetrics().averageCharWidth() * kTemplateVisibleChars);
  auto* change = new QPushButton(QStringLiteral("&Change"), group);
  SetControlId(change, IDC_CHANGE_TEMPLATE);
  auto* autoNaming =
      new QRadioButton(QStringLiteral("If file exists, au&tomatically create properly named files"), group);
  SetControlId(autoNaming, IDC_AUTO_NAMING);
  auto* overwrite = new QRadioButton(QStringLiteral("If file exists, &overwrite it (not recommended)"), group);
  SetControlId(overwrite, IDC_OVERWRITE);

  auto* templateRow = new QHBoxLayout;
  templateRow->addWidget(templateEdit, 1);
  templateRow->addWidget(change);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addLayout(templateRow);
  groupLayout->addSpacing(6);
  groupLayout->addWidget(autoNaming);
  groupLayout->addWidget(overwrite);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);
  layout->addStretch(1);

  QObject::connect(change, &QPushButton::clicked, window, [this] { OnChange(); });
  QObject::connect(templateEdit, &QLineEdit::textChanged, window, [this, templateEdit](const QString& text) {
    if (m_templateTip) m_templateTip->UpdateTipText(templateEdit, text.toStdString());
  });
}

void CGenPage1::OnInitDialog() {
  QWidget* window = Window();
  m_values.Load(m_settings);
  TemplateEdit()->setText(QString::fromStdString(m_values.fileNameTemplate));
  FindControl<QRadioButton>(window, m_values.overwrite ? IDC_OVERWRITE : IDC_AUTO_NAMING)->setChecked(true);

  m_templateTip = new CVtToolTipCtrl(window);
  m_templateTip->AddTool(window, IDC_TEMPLATE, m_values.fileNameTemplate, false);
  m_toolTips = new CVtToolTipCtrl(window);
  m_toolTips->AddTool(window, IDC_AUTO_NAMING, kAutoNamingTip);
  m_toolTips->AddTool(window, IDC_OVERWRITE, kOverwriteTip);
  m_toolTips->AddTool(window, IDC_CHANGE_TEMPLATE, kChangeTip);
  m_templateTip->Activate(true);
}

void CGenPage1::OnSetActive() { m_toolTips->Activate(ReadShowToolTips(m_settings)); }

void CGenPage1::Apply() {
  if (!HasWindow()) return;
  TakeControlValues();
  m_values.Store(m_settings);
}

void CGenPage1::OnChange() {
  if (!HasWindow()) return;
  TakeControlValues();
  const SaveFileDialogOptions options =
      DestinationChooserOptions(m_values.fileNameTemplate, GetExtension(m_settings), m_values.overwrite);
  std::string chosen;
  if (ShowSaveFileDialog(nullptr, options, &chosen)) TemplateEdit()->setText(QString::fromStdString(chosen));
}

void CGenPage1::TakeControlValues() {
  m_values.fileNameTemplate = TemplateEdit()->text().toStdString();
  m_values.overwrite = FindControl<QRadioButton>(Window(), IDC_OVERWRITE)->isChecked();
}

QLineEdit* CGenPage1::TemplateEdit() const { return FindControl<QLineEdit>(Window(), IDC_TEMPLATE); }
