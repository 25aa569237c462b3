#pragma once
// The Ogg Vorbis settings page: bitrate-based or quality-based encoding, the three bitrates
// and the quality; stores "OGG Configuration". Its lists are filled when its window is made;
// the stored record is shown each time the page becomes active. User-interface thread only.

#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "formats/OggPageModel.h"

class SettingsStore;

class CTabPage4 : public CVTPropertyPage {
 public:
  static constexpr int kMinBitrateId = 1034;
  static constexpr int kAverageBitrateId = 1035;
  static constexpr int kMaxBitrateId = 1036;
  static constexpr int kQualityId = 1039;
  static constexpr int kBitrateBasedId = 1063;
  static constexpr int kQualityBasedId = 1064;

  explicit CTabPage4(SettingsStore& settings);

  // Stores what the controls show, whichever strategy is chosen; nothing without a window.
  void Apply();
  // The page's tips while it has a window, else null.
  CVtToolTipCtrl* ToolTips() const { return m_toolTips.data(); }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;
  void OnSetActive() override;

 private:
  // Bitrate based enables the three lists, quality based the slider.
  void ApplyEnabling();

  SettingsStore& m_settings;
  OggConfiguration m_read;  // as read when the page last became active
  QPointer<CVtToolTipCtrl> m_toolTips;
  QPointer<QRadioButton> m_bitrateBased;
  QPointer<QRadioButton> m_qualityBased;
  QPointer<QComboBox> m_minBitrate;
  QPointer<QComboBox> m_averageBitrate;
  QPointer<QComboBox> m_maxBitrate;
  QPointer<QSlider> m_quality;
};
