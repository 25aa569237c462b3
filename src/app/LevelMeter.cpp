#include "app/LevelMeter.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kFloorDecibels = -60;
constexpr double kWarnDecibels = -6;
// A peak this close to full scale has most likely been cut off by the converter.
constexpr double kClipFraction = 0.999;
// At the main window's refresh of 100 ms: 12 dB per second, and a clip shown for 1.5 s.
constexpr double kFallDecibelsPerUpdate = 1.2;
constexpr int kClipHoldUpdates = 15;

}  // namespace

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent), m_peakDecibels(kFloorDecibels) {
  setMinimumSize(sizeHint());
}

void LevelMeter::Reset() {
  m_peakDecibels = kFloorDecibels;
  m_clipHold = 0;
  update();
}

void LevelMeter::SetPeak(double peak) {
  peak = std::clamp(peak, 0.0, 1.0);
  const double decibels = peak > 0 ? std::max(20 * std::log10(peak), kFloorDecibels) : kFloorDecibels;
  m_peakDecibels = std::max(decibels, std::max(m_peakDecibels - kFallDecibelsPerUpdate, kFloorDecibels));
  m_clipHold = peak >= kClipFraction ? kClipHoldUpdates : std::max(m_clipHold - 1, 0);
  setToolTip(QStringLiteral("Input peak %1 dBFS").arg(m_peakDecibels, 0, 'f', 1));
  update();
}

void LevelMeter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect frame = rect().adjusted(0, 1, -1, -2);
  painter.fillRect(frame, QColor(40, 40, 40));
  const double fraction = (m_peakDecibels - kFloorDecibels) / -kFloorDecibels;
  const int width = static_cast<int>(fraction * (frame.width() - 2));
  QColor colour(60, 200, 80);
  if (Clipping())
    colour = QColor(230, 40, 40);
  else if (m_peakDecibels >= kWarnDecibels)
    colour = QColor(240, 200, 40);
  painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, width, frame.height() - 1), colour);
  painter.setPen(QColor(110, 110, 110));
  painter.drawRect(frame);
}
