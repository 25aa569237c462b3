#pragma once
// The WMA settings page: the runtime's codecs, the formats of the chosen codec and a short
// description of it; stores "WMA Configuration". The lists are built anew, from a fresh codec
// enumeration, each time the page's window initialises. User-interface thread only.

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <string>
#include <vector>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "wma/WmaFormatEntry.h"

class SettingsStore;

class CTabPage2 : public CVTPropertyPage {
 public:
  static constexpr int kCodecListId = 1020;
  static constexpr int kFormatListId = 1021;
  static constexpr int kDescriptionId = 1022;

  explicit CTabPage2(SettingsStore& settings);

  // Stores the selected codec and format; nothing without a window.
  void Apply();
  // The page's tips while it has a window, else null.
  CVtToolTipCtrl* ToolTips() const { return m_toolTips.data(); }

 protected:
  void CreateControls(QWidget* window) override;
  void OnInitDialog() override;

 private:
  // Shows the codec's description and fills the format list with its lines, first selected.
  void ShowCodec(int codecLine);

  SettingsStore& m_settings;
  std::vector<std::string> m_codecNames;
  WmaFormatMap m_formats;
  int m_shownCodecLine = -1;
  std::vector<WmaFormatEntry> m_formatLines;  // of the shown codec, one per line of the list
  // The description last shown; a codec without one leaves it, also across openings.
  std::string m_description;
  QPointer<CVtToolTipCtrl> m_toolTips;
  QPointer<QComboBox> m_codecList;
  QPointer<QComboBox> m_formatList;
  QPointer<QLabel> m_descriptionText;
};
