#pragma once
// A text that opens a web address when clicked, in link, hover and visited colours.

#include <QColor>
#include <QLabel>
#include <QUrl>

class CHyperLink : public QLabel {
  Q_OBJECT

 public:
  CHyperLink(const QString& caption, const QUrl& url, QWidget* parent = nullptr);

  void SetColours(const QColor& link, const QColor& visited, const QColor& hover);
  bool Visited() const { return m_visited; }
  QColor CurrentColour() const;

 signals:
  void Opened(const QUrl& url);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Recolour();

  QUrl m_url;
  QColor m_link;
  QColor m_visitedColour;
  QColor m_hover;
  bool m_visited = false;
  bool m_hovering = false;
};
