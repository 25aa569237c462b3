#include "formats/CTabPage3.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ControlId.h"
#include "formats/FormatPageWidgets.h"
#include "settings/SettingsStore.h"

namespace {

QCheckBox* NewCheckBox(QWidget* parent, int id, const char* text) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  SetControlId(box, id);
  return box;
}

}  // namespace

CTabPage3::CTabPage3(SettingsStore& settings) : CVTPropertyPage("MP3 Settings"), m_settings(settings) {}

void CTabPage3::CreateControls(QWidget* window) {
  auto* bitrate = new QGroupBox(QStringLiteral("Choose bitrate"), window);
  m_cbr = NewRadioButton(bitrate, kCbrId, "&CBR");
  m_vbr = NewRadioButton(bitrate, kVbrId, "&VBR");
  auto* mode = new QButtonGroup(bitrate);
  mode->addButton(m_cbr);
  mode->addButton(m_vbr);
  m_cbrBitrate = NewDropDownList(bitrate, kCbrBitrateId, Mp3Bitrates());
  m_vbrMin = NewDropDownList(bitrate, kVbrMinId, Mp3Bitrates());
  m_vbrMax = NewDropDownList(bitrate, kVbrMaxId, Mp3Bitrates());
  m_vbrQuality = NewDropDownList(bitrate, kVbrQualityId, Mp3VbrQualities());
  auto* bitrateLayout = new QGridLayout(bitrate);
  bitrateLayout->addWidget(m_cbr, 0, 0);
  bitrateLayout->addWidget(m_cbrBitrate, 0, 1);
  bitrateLayout->addWidget(m_vbr, 1, 0);
  bitrateLayout->addWidget(new QLabel(QStringLiteral("Min:"), bitrate), 2, 0, Qt::AlignRight);
  bitrateLayout->addWidget(m_vbrMin, 2, 1);
  bitrateLayout->addWidget(new QLabel(QStringLiteral("Max:"), bitrate), 2, 2, Qt::AlignRight);
  bitrateLayout->addWidget(m_vbrMax, 2, 3);
  bitrateLayout->addWidget(new QLabel(QStringLiteral("VBR Quality:"), bitrate), 3, 0, 1, 2, Qt::AlignRight);
  bitrateLayout->addWidget(m_vbrQuality, 3, 2, 1, 2);

  auto* quality = new QGroupBox(QStringLiteral("Set Encoding Quality"), window);
  m_encodingQuality = NewTickedSlider(quality, kEncodingQualityId, kMp3SliderMax, 1);
  auto* qualityLayout = new QGridLayout(quality);
  qualityLayout->addWidget(m_encodingQuality, 0, 0, 1, 2);
  qualityLayout->addWidget(new QLabel(QStringLiteral("Max"), quality), 1, 0, Qt::AlignLeft);
  qualityLayout->addWidget(new QLabel(QStringLiteral("Min"), quality), 1, 1, Qt::AlignRight);

  auto* metadata = new QGroupBox(QStringLiteral("MP3 metadata"), window);
  m_copyright = NewCheckBox(metadata, kCopyrightId, "Co&pyright");
  m_original = NewCheckBox(metadata, kOriginalId, "&Original");
  m_crc = NewCheckBox(metadata, kCrcId, "C&RC Checksum");
  auto* metadataLayout = new QVBoxLayout(metadata);
  metadataLayout->addWidget(m_copyright);
  metadataLayout->addWidget(m_original);
  metadataLayout->addWidget(m_crc);

  auto* channels = new QGroupBox(QStringLiteral("Channels"), window);
  m_mono = NewRadioButton(channels, kMonoId, "&Mono");
  m_stereo = NewRadioButton(channels, kStereoId, "&Stereo");
  auto* channelsGroup = new QButtonGroup(channels);
  channelsGroup->addButton(m_mono);
  channelsGroup->addButton(m_stereo);
  auto* channelsLayout = new QHBoxLayout(channels);
  channelsLayout->addWidget(m_mono);
  channelsLayout->addWidget(m_stereo);

  auto* rate = new QGroupBox(QStringLiteral("Sampling Rate"), window);
  m_sampleRate = NewDropDownList(rate, kSampleRateId, Mp3SampleRatesHz());
  auto* rateLayout = new QVBoxLayout(rate);
  rateLayout->addWidget(m_sampleRate);

  auto* left = new QVBoxLayout;
  left->addWidget(bitrate);
  left->addWidget(quality);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(metadata);
  right->addWidget(channels);
  right->addWidget(rate);
  right->addStretch();
  auto* layout = new QHBoxLayout(window);
  layout->addLayout(left, 3);
  layout->addLayout(right, 2);

  for (QRadioButton* button : {m_cbr.data(), m_vbr.data()})
    QObject::connect(button, &QRadioButton::clicked, window, [this] { ApplyEnabling(); });
}

void CTabPage3::OnInitDialog() {
  m_toolTips = NewPageToolTips(Window(),
                               {{kCbrId, "Constant Bitrate MP3 Stream"},
                                {kCbrBitrateId, "Select a bitrate value"},
                                {kVbrId, "Variable Bitrate MP3 Stream"},
                                {kVbrMinId, "Select the minimum bitrate value"},
                                {kVbrMaxId, "Select the maximum bitrate value"},
                                {kVbrQualityId, "Select VBR quality. Zero (0) is the best"},
                                {kCopyrightId, "Indicate whether MP3 file is copyrighted"},
                                {kOriginalId, "Indicate whether MP3 file is original"},
                                {kCrcId, "Check this to add a CRC checksum"},
                                {kEncodingQualityId, "Control encoding quality"},
                                {kSampleRateId, "Select a sampling rate"}},
                               m_settings);
  FollowSliderWithTip(m_encodingQuality, m_toolTips, &Mp3EncodingQualityTip);
}

void CTabPage3::OnSetActive() {
  m_read = Mp3Configuration();
  m_settings.GetMp3Configuration(m_read);
  const Mp3PageControls shown = Mp3PageControlsFor(m_read);
  SelectLine(m_cbrBitrate, shown.cbrBitrateLine);
  SelectLine(m_vbrMin, shown.vbrMinBitrateLine);
  SelectLine(m_vbrMax, shown.vbrMaxBitrateLine);
  SelectLine(m_vbrQuality, shown.vbrQualityLine);
  SelectLine(m_sampleRate, shown.sampleRateLine);
  m_encodingQuality->setValue(shown.encodingQuality);
  m_copyright->setChecked(shown.copyright);
  m_crc->setChecked(shown.crc);
  m_original->setChecked(shown.original);
  (shown.cbr ? m_cbr : m_vbr)->setChecked(true);
  (shown.stereo ? m_stereo : m_mono)->setChecked(true);
  ApplyEnabling();
  m_toolTips->Activate(m_settings.GetShowToolTips());
}

Mp3PageControls CTabPage3::ReadControls() const {
  Mp3PageControls shown;
  shown.cbrBitrateLine = SelectedLine(m_cbrBitrate);
  shown.vbrMinBitrateLine = SelectedLine(m_vbrMin);
  shown.vbrMaxBitrateLine = SelectedLine(m_vbrMax);
  shown.vbrQualityLine = SelectedLine(m_vbrQuality);
  shown.sampleRateLine = SelectedLine(m_sampleRate);
  shown.encodingQuality = m_encodingQuality->value();
  shown.copyright = m_copyright->isChecked();
  shown.crc = m_crc->isChecked();
  shown.original = m_original->isChecked();
  shown.cbr = m_cbr->isChecked();
  shown.stereo = m_stereo->isChecked();
  return shown;
}

void CTabPage3::ApplyEnabling() {
  const bool cbr = m_cbr->isChecked();
  m_cbrBitrate->setEnabled(cbr);
  for (QComboBox* list : {m_vbrMin.data(), m_vbrMax.data(), m_vbrQuality.data()}) list->setEnabled(!cbr);
}

void CTabPage3::Apply() {
  if (!HasWindow()) return;
  m_settings.SetMp3Configuration(Mp3ConfigurationFrom(ReadControls(), m_read));
}
