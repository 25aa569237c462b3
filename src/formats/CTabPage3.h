#pragma once
// The MP3 settings page: bitrate mode and bitrates, VBR quality, encoding quality, metadata
// flags, channels and sampling rate; stores "MP3 Configuration". Its lists are filled when
// its window is made; the stored record is shown each time the page becomes active.
// User-interface thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "formats/Mp3PageModel.h"

class SettingsStore;

class CTabPage3 : public CVTPropertyPage {
 public:
  static constexpr int kCbrBitrateId = 1027;
  static constexpr int kCbrId = 1028;
  static constexpr int kVbrId = 1029;
  static constexpr int kVbrMinId = 1030;
  static constexpr int kVbrMaxId = 1031;
  static constexpr int kEncodingQualityId = 1032;
  static constexpr int kCopyrightId = 1033;
  static constexpr int kOriginalId = 1034;
  static constexpr int kCrcId = 1035;
  static constexpr int kMonoId = 1036;
  static constexpr int kStereoId = 1037;
  static constexpr int kVbrQualityId = 1040;
  static constexpr int kSampleRateId = 1041;

  explicit CTabPage3(SettingsStore& settings);

  // Stores what the controls show; nothing without a window.
  void Apply();
  // The page's tips while it has a window, else null.
  CVtToolTipCtrl* ToolTips() const { return m_toolTips.data(); }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  Mp3PageControls ReadControls() const;
  // CBR enables its bitrate list, VBR the three VBR lists.
  void ApplyEnabling();

  SettingsStore& m_settings;
  Mp3Configuration m_read;  // as read when the page last became active
  QPointer<CVtToolTipCtrl> m_toolTips;
  QPointer<QRadioButton> m_cbr;
  QPointer<QRadioButton> m_vbr;
  QPointer<QComboBox> m_cbrBitrate;
  QPointer<QComboBox> m_vbrMin;
  QPointer<QComboBox> m_vbrMax;
  QPointer<QComboBox> m_vbrQuality;
  QPointer<QSlider> m_encodingQuality;
  QPointer<QCheckBox> m_copyright;
  QPointer<QCheckBox> m_original;
  QPointer<QCheckBox> m_crc;
  QPointer<QRadioButton> m_mono;
  QPointer<QRadioButton> m_stereo;
  QPointer<QComboBox> m_sampleRate;
};
