#pragma once
// The input level while recording: the peak of the last moment as a bar on a -60 ... 0 dBFS
// scale, green, yellow from -6 dBFS, and red while the input clips. User-interface thread only.

#include <QWidget>

class LevelMeter : public QWidget {
  Q_OBJECT

 public:
  explicit LevelMeter(QWidget* parent = nullptr);

  // `peak` is the largest magnitude as a fraction of full scale (0 ... 1).
  void SetPeak(double peak);
  double PeakDecibels() const { return m_peakDecibels; }
  bool Clipping() const { return m_clipping; }
  QSize sizeHint() const override { return {120, 14}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double m_peakDecibels;
  bool m_clipping = false;
};
