#pragma once
// The input level while recording: the peak as a bar on a -60 ... 0 dBFS scale, green, yellow
// from -6 dBFS, and red while the input clips. Capture arrives in buffers of up to a second, so
// the bar falls back slowly between them and a clip stays red for a moment, as meters do.
// User-interface thread only.

#include <QWidget>

class LevelMeter : public QWidget {
  Q_OBJECT

 public:
  explicit LevelMeter(QWidget* parent = nullptr);

  // Called every refresh with the largest magnitude since the last one, as a fraction of full
  // scale (0 ... 1; 0 when nothing arrived).
  void SetPeak(double peak);
  // Empties the bar, for a new recording.
  void Reset();
  double PeakDecibels() const { return m_peakDecibels; }
  bool Clipping() const { return m_clipHold > 0; }
  QSize sizeHint() const override { return {120, 14}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double m_peakDecibels;
  int m_clipHold = 0;  // refreshes the clip indication still stays
};
