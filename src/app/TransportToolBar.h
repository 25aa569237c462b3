#pragma once
// The toolbar of six buttons (Record, Play, Pause, Stop, Settings, Help) with their pictures,
// labels under them and tooltips; the Settings button's arrow opens the settings menu, its
// face does nothing by itself. User-interface thread only.

#include <QToolBar>
#include <map>

#include "platform/ui/Window.h"

class QAction;
class QMenu;
class QToolButton;

class TransportToolBar : public QToolBar {
  Q_OBJECT

 public:
  explicit TransportToolBar(QWidget* parent = nullptr);

  // The button's action, for commands 1001 to 1006.
  QAction* Action(UINT command) const;
  QToolButton* Button(UINT command) const;
  QMenu* SettingsMenu() const { return m_settingsMenu; }

 signals:
  // A button or an entry of the settings menu was chosen.
  void Command(UINT command);

 private:
  void AddButton(UINT command, int image, const QString& label, const QString& prompt);

  std::map<UINT, QAction*> m_actions;
  QMenu* m_settingsMenu;
};
