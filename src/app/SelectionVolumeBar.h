#pragma once
// The bar with the selection's length, the speaker and the playback volume slider
// (0 ... 1000). User-interface thread only.

#include <QLabel>
#include <QSlider>
#include <QWidget>

class SelectionVolumeBar : public QWidget {
  Q_OBJECT

 public:
  explicit SelectionVolumeBar(QWidget* parent = nullptr);

  void SetSelectionText(const QString& text);
  void ShowToolTips(bool show);

  QString SelectionText() const { return m_selection->text(); }
  QSlider* Volume() const { return m_volume; }
  QLabel* SelectionLabel() const { return m_selection; }

 private:
  QLabel* m_selection;
  QLabel* m_speaker;
  QSlider* m_volume;
};
