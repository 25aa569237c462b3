#pragma once
// The bar under the view with the loaded file's name and duration and, below them, the status
// text. User-interface thread only.

#include <QLabel>
#include <QWidget>

class FileInfoBar : public QWidget {
  Q_OBJECT

 public:
  explicit FileInfoBar(QWidget* parent = nullptr);

  // Shown elided when it is too long; the tooltip carries it whole while tooltips are on.
  void SetFileName(const QString& name);
  void SetDuration(const QString& duration);
  void SetStatus(const QString& status);
  void ShowToolTips(bool show);

  QString FileName() const { return m_fileName; }
  QString Duration() const { return m_duration->text(); }
  QString Status() const { return m_status->text(); }
  QLabel* FileNameLabel() const { return m_name; }
  QLabel* DurationLabel() const { return m_duration; }
  QLabel* StatusLabel() const { return m_status; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowFileName();

  QLabel* m_name;
  QLabel* m_duration;
  QLabel* m_status;
  QString m_fileName;
  bool m_toolTips = true;
};
