#pragma once
// The short user guide that comes with the program, in a window of its own.

#include <QDialog>

class QTextBrowser;

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  QTextBrowser* Browser() const { return m_browser; }

 private:
  QTextBrowser* m_browser;
};
