#include "formats/CTabPage4.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "formats/FormatPageWidgets.h"
#include "settings/SettingsStore.h"

CTabPage4::CTabPage4(SettingsStore& settings) : CVTPropertyPage("OGG Settings"), m_settings(settings) {}

void CTabPage4::CreateControls(QWidget* window) {
  auto* strategy = new QGroupBox(QStringLiteral("Select Encoding Strategy"), window);
  m_bitrateBased = NewRadioButton(strategy, kBitrateBasedId, "&Bitrate based");
  m_qualityBased = NewRadioButton(strategy, kQualityBasedId, "Quality based");
  auto* strategyButtons = new QButtonGroup(strategy);
  strategyButtons->addButton(m_bitrateBased);
  strategyButtons->addButton(m_qualityBased);
  auto* strategyLayout = new QVBoxLayout(strategy);
  strategyLayout->addWidget(m_bitrateBased);
  strategyLayout->addWidget(m_qualityBased);
  strategyLayout->addStretch();

  auto* bitrates = new QGroupBox(QStringLiteral("Set Bitrates"), window);
  m_minBitrate = NewDropDownList(bitrates, kMinBitrateId, OggBitrates());
  m_averageBitrate = NewDropDownList(bitrates, kAverageBitrateId, OggBitrates());
  m_maxBitrate = NewDropDownList(bitrates, kMaxBitrateId, OggBitrates());
  auto* bitratesLayout = new QFormLayout(bitrates);
  bitratesLayout->addRow(QStringLiteral("Minimum bitrate: "), m_minBitrate);
  bitratesLayout->addRow(QStringLiteral("Average Bitrate:"), m_averageBitrate);
  bitratesLayout->addRow(QStringLiteral("Maximum Bitrate:"), m_maxBitrate);

  auto* quality = new QGroupBox(QStringLiteral("Set Encoding Quality"), window);
  m_quality = NewTickedSlider(quality, kQualityId, kOggSliderMax, 5);
  auto* qualityLayout = new QGridLayout(quality);
  qualityLayout->addWidget(new QLabel(QStringLiteral("Encoding Quality:"), quality), 0, 0, 2, 1, Qt::AlignVCenter);
  qualityLayout->addWidget(m_quality, 0, 1, 1, 2);
  qualityLayout->addWidget(new QLabel(QStringLiteral("Min"), quality), 1, 1, Qt::AlignLeft);
  qualityLayout->addWidget(new QLabel(QStringLiteral("Max"), quality), 1, 2, Qt::AlignRight);
  qualityLayout->setColumnStretch(1, 1);
  qualityLayout->setColumnStretch(2, 1);

  auto* layout = new QGridLayout(window);
  layout->addWidget(strategy, 0, 0);
  layout->addWidget(bitrates, 0, 1);
  layout->addWidget(quality, 1, 0, 1, 2);
  layout->setRowStretch(2, 1);

  for (QRadioButton* button : {m_bitrateBased.data(), m_qualityBased.data()})
    QObject::connect(button, &QRadioButton::clicked, window, [this] { ApplyEnabling(); });
}

void CTabPage4::OnInitDialog() {
  m_toolTips = NewPageToolTips(Window(),
                               {{kMinBitrateId, "Select the minimum ogg audio bitrate"},
                                {kAverageBitrateId, "Select the average ogg audio bitrate"},
                                {kMaxBitrateId, "Select the maximum ogg audio bitrate"},
                                {kQualityId, "Set a quality level: higher numbers imply higher quality"}},
                               m_settings);
  FollowSliderWithTip(m_quality, m_toolTips, &OggQualityTip);
}

void CTabPage4::OnSetActive() {
  m_read = OggConfiguration();
  m_settings.GetOggConfiguration(m_read);
  const OggPageControls shown = OggPageControlsFor(m_read);
  SelectLine(m_minBitrate, shown.minBitrateLine);
  SelectLine(m_maxBitrate, shown.maxBitrateLine);
  SelectLine(m_averageBitrate, shown.averageBitrateLine);
  m_quality->setValue(shown.qualitySlider);
  (shown.qualityBased ? m_qualityBased : m_bitrateBased)->setChecked(true);
  ApplyEnabling();
  m_toolTips->Activate(m_settings.GetShowToolTips());
}

void CTabPage4::ApplyEnabling() {
  const bool bitrateBased = m_bitrateBased->isChecked();
  for (QComboBox* list : {m_minBitrate.data(), m_averageBitrate.data(), m_maxBitrate.data()})
    list->setEnabled(bitrateBased);
  m_quality->setEnabled(!bitrateBased);
}

void CTabPage4::Apply() {
  if (!HasWindow()) return;
  OggPageControls shown;
  shown.minBitrateLine = SelectedLine(m_minBitrate);
  shown.averageBitrateLine = SelectedLine(m_averageBitrate);
  shown.maxBitrateLine = SelectedLine(m_maxBitrate);
  shown.qualitySlider = m_quality->value();
  shown.qualityBased = m_qualityBased->isChecked();
  m_settings.SetOggConfiguration(OggConfigurationFrom(shown, m_read));
}
