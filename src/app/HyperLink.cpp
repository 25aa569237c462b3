#include "app/HyperLink.h"

#include <QDesktopServices>
#include <QMouseEvent>

CHyperLink::CHyperLink(const QString& caption, const QUrl& url, QWidget* parent)
    : QLabel(caption, parent), m_url(url), m_link(Qt::blue), m_visitedColour(Qt::darkMagenta), m_hover(Qt::red) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
  setToolTip(url.toString());
  Recolour();
}

void CHyperLink::SetColours(const QColor& link, const QColor& visited, const QColor& hover) {
  m_link = link;
  m_visitedColour = visited;
  m_hover = hover;
  Recolour();
}

QColor CHyperLink::CurrentColour() const {
  if (m_hovering) return m_hover;
  return m_visited ? m_visitedColour : m_link;
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  m_hovering = true;
  Recolour();
  QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
  m_hovering = false;
  Recolour();
  QLabel::leaveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
  m_visited = true;
  Recolour();
  QDesktopServices::openUrl(m_url);
  emit Opened(m_url);
}

void CHyperLink::Recolour() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, CurrentColour());
  setPalette(colours);
}
