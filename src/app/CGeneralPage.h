#pragma once
// What the three General Options pages share: the page's values (FilenameOptions and the
// others, GeneralOptions.h), loaded when its window is made and stored by Apply only when the
// window exists; its explanatory tips, active per "Show ToolTips" each time the tab is shown;
// and its controls in a group captioned with the page's own title. User-interface thread only.

#include <QGroupBox>
#include <QPointer>
#include <QVBoxLayout>
#include <string>
#include <utility>
#include <vector>

#include "app/CVTPropertyPage.h"
#include "app/CVtToolTipCtrl.h"
#include "app/GeneralOptions.h"
#include "settings/SettingsStore.h"

class SettingsStore;

template <typename Options>
class CGeneralPage : public CVTPropertyPage {
 public:
  // A control id and its explanatory tip.
  using Tip = std::pair<int, const char*>;

  // Takes the control values and stores them, unless the window was never made in this showing.
  void Apply() {
    if (!HasWindow()) return;
    TakeControlValues();
    m_values.Store(m_settings);
  }

  const Options& Values() const { return m_values; }
  CVtToolTipCtrl* ToolTips() const { return m_toolTips; }

 protected:
  CGeneralPage(const char* caption, SettingsStore& settings, std::vector<Tip> tips)
      : CVTPropertyPage(caption), m_settings(settings), m_tips(std::move(tips)) {}

  // The layout of a group box captioned with the page's title, filling the top of `window`.
  QVBoxLayout* CreateGroup(QWidget* window) {
    window->setWindowTitle(QString::fromStdString(Caption()));
    auto* group = new QGroupBox(QString::fromStdString(Caption()), window);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(group);
    layout->addStretch(1);
    return new QVBoxLayout(group);
  }
  // Puts m_values into the controls.
  virtual void ShowValues() = 0;
  // Takes the controls' state into m_values.
  virtual void TakeControlValues() = 0;

  void OnInitDialog() override {
    m_values.Load(m_settings);
    ShowValues();
    m_toolTips = new CVtToolTipCtrl(Window());
    for (const auto& [id, text] : m_tips) m_toolTips->AddTool(Window(), id, text);
  }
  void OnSetActive() override { m_toolTips->Activate(m_settings.GetShowToolTips()); }

  SettingsStore& m_settings;
  Options m_values;
  QPointer<CVtToolTipCtrl> m_toolTips;

 private:
  std::vector<Tip> m_tips;
};
