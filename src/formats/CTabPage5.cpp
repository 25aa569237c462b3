#include "formats/CTabPage5.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "formats/FormatPageWidgets.h"
#include "formats/WavPageModel.h"
#include "settings/SettingsStore.h"

CTabPage5::CTabPage5(SettingsStore& settings) : CVTPropertyPage("WAV Settings"), m_settings(settings) {}

void CTabPage5::CreateControls(QWidget* window) {
  auto* group = new QGroupBox(QStringLiteral("Select WAV format prperties"), window);
  m_uncompressed = NewRadioButton(group, kUncompressedId, "&Uncompressed PCM WAV Audio");
  m_compressed = NewRadioButton(group, kCompressedId, "&Compressed WAV Audio");
  auto* buttons = new QButtonGroup(group);
  buttons->addButton(m_uncompressed);
  buttons->addButton(m_compressed);
  m_compressors = NewDropDownList(group, kCompressorListId);
  m_compressors->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* note = new QLabel(QStringLiteral("Note: The list may contain compressors that won't work correctly with this "
                                         "application or even induce instability. In that case, please avoid using "
                                         "the particular compressor again."),
                          group);
  note->setWordWrap(true);

  auto* groupLayout = new QGridLayout(group);
  groupLayout->addWidget(m_uncompressed, 0, 0, 1, 2);
  groupLayout->addWidget(m_compressed, 1, 0, 1, 2);
  groupLayout->addWidget(new QLabel(QStringLiteral("Compressor:"), group), 2, 0);
  groupLayout->addWidget(m_compressors, 2, 1);
  groupLayout->addWidget(note, 3, 0, 1, 2);
  groupLayout->setColumnStretch(1, 1);
  groupLayout->setRowStretch(4, 1);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(group);

  for (QRadioButton* button : {m_uncompressed.data(), m_compressed.data()})
    QObject::connect(button, &QRadioButton::clicked, window, [this] { ApplyEnabling(); });
}

void CTabPage5::OnInitDialog() {
  m_read = WavConfiguration();
  m_settings.GetWavConfiguration(m_read);
  std::vector<WavCompressorLine> lines;
  // A failed enumeration leaves the list empty.
  m_lines = SUCCEEDED(ListWavCompressors(&lines)) ? std::move(lines) : std::vector<WavCompressorLine>();
  const WavPageControls shown = WavPageControlsFor(m_read, m_lines.size());
  (shown.compressed ? m_compressed : m_uncompressed)->setChecked(true);
  ApplyEnabling();
  for (const WavCompressorLine& line : m_lines) m_compressors->addItem(QString::fromStdString(line.name));
  SelectLine(m_compressors, shown.line);
}

void CTabPage5::ApplyEnabling() { m_compressors->setEnabled(m_compressed->isChecked()); }

void CTabPage5::Apply() {
  if (!HasWindow()) return;
  const WavPageControls shown{m_compressed->isChecked(), SelectedLine(m_compressors)};
  m_settings.SetWavConfiguration(WavConfigurationFrom(shown, m_lines, m_read));
}
