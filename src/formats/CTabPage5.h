#pragma once
// The WAV settings page: uncompressed PCM or one of the platform's audio compressors; stores
// "WAV Configuration". The compressor list is built anew each time the page's window
// initialises. User-interface thread only.

#include <QComboBox>
#include <QPointer>
#include <QRadioButton>
#include <vector>

#include "app/CVTPropertyPage.h"
#include "engine/WavCompressorList.h"
#include "settings/WavConfiguration.h"

class SettingsStore;

class CTabPage5 : public CVTPropertyPage {
 public:
  static constexpr int kUncompressedId = 1044;
  static constexpr int kCompressedId = 1045;
  static constexpr int kCompressorListId = 1046;

  explicit CTabPage5(SettingsStore& settings);

  // Stores the choice; nothing without a window.
  void Apply();

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;

 private:
  void ApplyEnabling();

  SettingsStore& m_settings;
  WavConfiguration m_read;                 // as read when the window initialised
  std::vector<WavCompressorLine> m_lines;  // one per line of the compressor list
  QPointer<QRadioButton> m_uncompressed;
  QPointer<QRadioButton> m_compressed;
  QPointer<QComboBox> m_compressors;
};
