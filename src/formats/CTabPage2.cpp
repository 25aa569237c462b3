#include "formats/CTabPage2.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "formats/FormatPageWidgets.h"
#include "settings/SettingsStore.h"
#include "wma/ProfileEnumerator.h"
#include "wma/WmaSettingsLists.h"

CTabPage2::CTabPage2(SettingsStore& settings) : CVTPropertyPage("WMA Settings"), m_settings(settings) {}

void CTabPage2::CreateControls(QWidget* window) {
  auto* group = new QGroupBox(QStringLiteral("Choose a codec and its format"), window);
  m_codecList = NewDropDownList(group, kCodecListId);
  m_formatList = NewDropDownList(group, kFormatListId);
  m_descriptionText = new QLabel(QStringLiteral("Codec blurb goes here"), group);
  SetControlId(m_descriptionText, kDescriptionId);
  m_descriptionText->setWordWrap(true);
  m_descriptionText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Room for three lines of description, as the template's 29 dialog units give.
  m_descriptionText->setMinimumHeight(3 * m_descriptionText->fontMetrics().lineSpacing());

  auto* lists = new QFormLayout;
  lists->addRow(QStringLiteral("Codec:"), m_codecList);
  lists->addRow(QStringLiteral("Format:"), m_formatList);
  lists->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addLayout(lists);
  groupLayout->addWidget(m_descriptionText);
  groupLayout->addStretch();
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);

  // Picking the codec already shown keeps its chosen format.
  QObject::connect(m_codecList.data(), &QComboBox::activated, window, [this](int line) {
    if (line != m_shownCodecLine) ShowCodec(line);
  });
}

void CTabPage2::OnInitDialog() {
  ProfileEnumerator enumerator;
  m_codecNames = enumerator.GetCodecNames();
  m_formats = enumerator.GetFormatMap();
  for (const std::string& name : m_codecNames) m_codecList->addItem(QString::fromStdString(name));

  WmaConfiguration stored;
  m_settings.GetWmaConfiguration(stored);
  const std::optional<size_t> codecLine = CodecLineFor(stored, m_codecNames.size());
  SelectLine(m_codecList, codecLine ? std::optional<int>(static_cast<int>(*codecLine)) : std::nullopt);
  ShowCodec(m_codecList->currentIndex());
  if (const std::optional<size_t> formatLine = FormatLineFor(stored, m_formatLines))
    m_formatList->setCurrentIndex(static_cast<int>(*formatLine));

  m_toolTips = NewPageToolTips(Window(),
                               {{kCodecListId, "Select an appropriate WMA codec."},
                                {kFormatListId, "Select a format for the codec selected above."}},
                               m_settings);
}

void CTabPage2::ShowCodec(int codecLine) {
  m_shownCodecLine = codecLine;
  const std::string name =
      codecLine >= 0 && static_cast<size_t>(codecLine) < m_codecNames.size() ? m_codecNames[codecLine] : std::string();
  if (const std::optional<int> stringId = CodecDescriptionStringId(name))
    m_description = CodecDescriptionText(*stringId);
  m_descriptionText->setText(QString::fromStdString(m_description));

  m_formatLines = codecLine < 0 ? std::vector<WmaFormatEntry>() : FormatLinesFor(m_formats, name);
  m_formatList->clear();
  for (const WmaFormatEntry& line : m_formatLines) m_formatList->addItem(QString::fromStdString(line.description));
  SelectLine(m_formatList, m_formatLines.empty() ? std::nullopt : std::optional<int>(0));
}

void CTabPage2::Apply() {
  if (!HasWindow()) return;
  const std::optional<int> codecLine = SelectedLine(m_codecList);
  const std::optional<int> formatLine = SelectedLine(m_formatList);
  // With no codec or no format there is no choice to store; the earlier one stays.
  if (!codecLine || !formatLine || static_cast<size_t>(*formatLine) >= m_formatLines.size()) return;
  m_settings.SetWmaConfiguration(ConfigurationFor(static_cast<size_t>(*codecLine), m_formatLines[*formatLine]));
}
