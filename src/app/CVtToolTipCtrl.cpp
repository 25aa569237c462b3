#include "app/CVtToolTipCtrl.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "app/ControlId.h"

namespace {

constexpr int kMaxTipWidth = 300;

int WidestLine(const QString& text) {
  const QFontMetrics metrics(QToolTip::font());
  int widest = 0;
  for (const QString& line : text.split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

}  // namespace

CVtToolTipCtrl::CVtToolTipCtrl(QWidget* owner) : QObject(owner) {}

bool CVtToolTipCtrl::AddTool(QWidget* parent, int controlId, const std::string& text, bool limitWidth) {
  QWidget* control = FindControl(parent, controlId);
  return control != nullptr && AddTool(control, text, limitWidth);
}

bool CVtToolTipCtrl::AddTool(QWidget* control, const std::string& text, bool limitWidth) {
  if (control == nullptr) return false;
  if (m_tools.find(control) == m_tools.end()) {
    control->installEventFilter(this);
    // A control that goes before its tips must not leave a dangling key behind.
    connect(control, &QObject::destroyed, this, [this](QObject* gone) { m_tools.erase(static_cast<QWidget*>(gone)); });
  }
  m_tools[control] = Tool{text, limitWidth};
  return true;
}

void CVtToolTipCtrl::UpdateTipText(QWidget* control, const std::string& text) {
  const auto tool = m_tools.find(control);
  if (tool == m_tools.end()) return;
  tool->second.text = text;
  if (m_active && QToolTip::isVisible() && control->underMouse()) QToolTip::showText(QCursor::pos(), ShownText(control), control);
}

void CVtToolTipCtrl::Activate(bool active) {
  m_active = active;
  if (!active) QToolTip::hideText();
}

std::string CVtToolTipCtrl::TipText(const QWidget* control) const {
  const auto tool = m_tools.find(control);
  return tool == m_tools.end() ? std::string() : tool->second.text;
}

QString CVtToolTipCtrl::ShownText(const QWidget* control) const {
  const auto tool = m_tools.find(control);
  if (tool == m_tools.end() || tool->second.text.empty()) return QString();
  const QString plain = QString::fromStdString(tool->second.text);
  const QString text = plain.toHtmlEscaped().replace('\n', "<br>");
  // Rich text wraps at a table's width; tips that fit, or have no limit, keep their lines.
  if (tool->second.limitWidth && WidestLine(plain) > kMaxTipWidth) {
    return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(kMaxTipWidth).arg(text);
  }
  return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text);
}

bool CVtToolTipCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  auto* control = static_cast<QWidget*>(watched);
  const QString text = m_active ? ShownText(control) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, control);
  }
  return true;
}
