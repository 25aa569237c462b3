#include "app/TransportToolBar.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "app/ProjectIcons.h"
#include "engine/CommandIds.h"

namespace {

constexpr int kButtonMinWidth = 76;
constexpr int kButtonMaxWidth = 120;
constexpr int kButtonHeight = 60;

}  // namespace

TransportToolBar::TransportToolBar(QWidget* parent) : QToolBar(parent), m_settingsMenu(new QMenu(this)) {
  setMovable(false);
  setFloatable(false);
  setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
  setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  setFixedHeight(kButtonHeight + 4);

  // Each prompt is the status-bar text, a line break, and the tooltip.
  AddButton(ID_RECORD, 0, tr("Record"), tr("Record audio in the current export format\nRecord audio"));
  AddButton(ID_PLAY, 1, tr("Play"), tr("Play the loaded file, or its selection\nPlay audio"));
  AddButton(ID_PAUSE, 2, tr("Pause"), tr("Pause the recording or the playback\nPause"));
  AddButton(ID_STOP, 3, tr("Stop"), tr("Stop and save the recording, or stop the playback\nStop"));
  AddButton(ID_SETTINGS, 4, tr("Settings"), tr("Change the export, hardware and general settings\nSettings"));
  AddButton(ID_HELP, 5, tr("Help"), tr("Show the help topics\nHelp"));

  for (const auto& [command, text] : {std::pair{ID_EXPORT_FORMATS, tr("Export Configuration")},
                                      std::pair{ID_AUDIO_HARDWARE, tr("Hardware Configuration")},
                                      std::pair{ID_GENERAL_SETTINGS, tr("General Configuration")}}) {
    const UINT id = command;
    connect(m_settingsMenu->addAction(text), &QAction::triggered, this, [this, id] { emit Command(id); });
  }
  QToolButton* settings = Button(ID_SETTINGS);
  settings->setMenu(m_settingsMenu);
  settings->setPopupMode(QToolButton::MenuButtonPopup);
}

void TransportToolBar::AddButton(UINT command, int image, const QString& label, const QString& prompt) {
  QAction* action = addAction(ToolbarIcon(static_cast<ToolbarImage>(image)), label);
  action->setStatusTip(prompt.section('\n', 0, 0));
  action->setToolTip(prompt.section('\n', 1));
  connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
  m_actions[command] = action;
  QToolButton* button = Button(command);
  button->setMinimumSize(kButtonMinWidth, kButtonHeight);
  button->setMaximumSize(kButtonMaxWidth, kButtonHeight);
  button->setAutoRaise(true);
}

QAction* TransportToolBar::Action(UINT command) const {
  const auto found = m_actions.find(command);
  return found == m_actions.end() ? nullptr : found->second;
}

QToolButton* TransportToolBar::Button(UINT command) const {
  QAction* action = Action(command);
  return action ? qobject_cast<QToolButton*>(widgetForAction(action)) : nullptr;
}
