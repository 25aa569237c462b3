#include "app/CGenPage1.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ControlId.h"
#include "app/GeneralPageIds.h"
#include "settings/OutputFileNaming.h"

namespace {

constexpr const char* kCaption = "Configure filename for recorded audio";
constexpr int kTemplateVisibleChars = 56;

}  // namespace

CGenPage1::CGenPage1(SettingsStore& settings)
    : CGeneralPage(kCaption, settings,
                   {{IDC_AUTO_NAMING,
                     "If file exists, numbers are appended to the filename to avoid overwrites.\ne.g., vtaudio001"},
                    {IDC_OVERWRITE,
                     "If file exists, it is completely overwritten. Select this carefully or you could lose data"},
                    {IDC_CHANGE_TEMPLATE, "Change the current filename template to something else"}}) {}

void CGenPage1::CreateControls(QWidget* window) {
  QVBoxLayout* group = CreateGroup(window);
  auto* templateEdit = new QLineEdit;
  SetControlId(templateEdit, IDC_TEMPLATE);
  // Room for a typical full path; the tip shows the rest.
  templateEdit->setMinimumWidth(templateEdit->fontMetrics().averageCharWidth() * kTemplateVisibleChars);
  auto* change = new QPushButton(QStringLiteral("&Change"));
  SetControlId(change, IDC_CHANGE_TEMPLATE);
  auto* autoNaming = new QRadioButton(QStringLiteral("If file exists, au&tomatically create properly named files"));
  SetControlId(autoNaming, IDC_AUTO_NAMING);
  auto* overwrite = new QRadioButton(QStringLiteral("If file exists, &overwrite it (not recommended)"));
  SetControlId(overwrite, IDC_OVERWRITE);

  auto* templateRow = new QHBoxLayout;
  templateRow->addWidget(templateEdit, 1);
  templateRow->addWidget(change);
  group->addLayout(templateRow);
  group->addSpacing(6);
  group->addWidget(autoNaming);
  group->addWidget(overwrite);

  QObject::connect(change, &QPushButton::clicked, window, [this] { OnChange(); });
  QObject::connect(templateEdit, &QLineEdit::textChanged, window, [this, templateEdit](const QString& text) {
    if (m_templateTip) m_templateTip->UpdateTipText(templateEdit, text.toStdString());
  });
}

void CGenPage1::OnInitDialog() {
  CGeneralPage::OnInitDialog();
  m_templateTip = new CVtToolTipCtrl(Window());
  m_templateTip->AddTool(TemplateEdit(), m_values.fileNameTemplate, false);
  m_templateTip->Activate(true);
}

void CGenPage1::ShowValues() {
  TemplateEdit()->setText(QString::fromStdString(m_values.fileNameTemplate));
  FindControl<QRadioButton>(Window(), m_values.overwrite ? IDC_OVERWRITE : IDC_AUTO_NAMING)->setChecked(true);
}

void CGenPage1::TakeControlValues() {
  m_values.fileNameTemplate = TemplateEdit()->text().toStdString();
  m_values.overwrite = FindControl<QRadioButton>(Window(), IDC_OVERWRITE)->isChecked();
}

void CGenPage1::OnChange() {
  if (!HasWindow()) return;
  TakeControlValues();
  const SaveFileDialogOptions options =
      DestinationChooserOptions(m_values.fileNameTemplate, GetExtension(m_settings), m_values.overwrite);
  std::string chosen;
  if (ShowSaveFileDialog(nullptr, options, &chosen)) TemplateEdit()->setText(QString::fromStdString(chosen));
}

QLineEdit* CGenPage1::TemplateEdit() const { return FindControl<QLineEdit>(Window(), IDC_TEMPLATE); }
