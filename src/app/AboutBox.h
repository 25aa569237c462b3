#pragma once
// "About Vantro Audio Recorder": the product version and a link to the product's web page.

#include <QDialog>

class CHyperLink;
class QLabel;

class CAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutBox(QWidget* parent = nullptr);

  QString VersionText() const;
  CHyperLink* Link() const { return m_link; }

 private:
  QLabel* m_version;
  CHyperLink* m_link;
};
