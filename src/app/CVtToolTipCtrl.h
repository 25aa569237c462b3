#pragma once
// Explanatory tips for a page's controls. A tool is registered per control; the tips show
// only while the control is active. Created by a page when its window initialises, as a child
// of that window, so it goes with the window. User-interface thread only.

#include <QObject>
#include <QPointer>
#include <map>
#include <string>

class QWidget;

class CVtToolTipCtrl : public QObject {
  Q_OBJECT

 public:
  explicit CVtToolTipCtrl(QWidget* owner);

  // Registers `text` for the control of `parent` with id `controlId` (ControlId.h); a missing
  // id is skipped without error (false). With `limitWidth` the tip wraps at 300 pixels.
  // Newlines in the text start new lines.
  bool AddTool(QWidget* parent, int controlId, const std::string& text, bool limitWidth = true);
  bool AddTool(QWidget* control, const std::string& text, bool limitWidth = true);
  // Replaces the text of a registered control (a slider's position text, a template edited).
  void UpdateTipText(QWidget* control, const std::string& text);
  void Activate(bool active);
  bool IsActive() const { return m_active; }
  // The text registered for the control; empty when none.
  std::string TipText(const QWidget* control) const;
  // The tip as it is shown, markup included: what a tooltip event would display.
  QString ShownText(const QWidget* control) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Tool {
    std::string text;
    bool limitWidth = true;
  };
  std::map<const QWidget*, Tool> m_tools;
  bool m_active = true;
};
