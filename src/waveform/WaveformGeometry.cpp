#include "waveform/WaveformGeometry.h"

#include <algorithm>
#include <cmath>

int WaveformWidth(double durationSeconds, int clientWidth) {
  if (!(durationSeconds > 0) || clientWidth <= 0) return 0;
  const double divisor = durationSeconds > 30 ? 30 : std::ceil(durationSeconds);
  return static_cast<int>(durationSeconds * clientWidth / divisor);
}

void VisibleWaveformPoints(const std::vector<float>& values, int totalWidth, int scrollX, int clientWidth,
                           std::vector<WaveformPoint>* points) {
  points->clear();
  if (totalWidth <= 0 || values.empty()) return;
  const double count = static_cast<double>(values.size());
  const double ratio = count / totalWidth;
  const int end = std::min(scrollX + clientWidth, totalWidth);
  for (int x = std::max(scrollX, 0); x <= end - 2; ++x) {
    const double position = x * ratio;
    if (position > count) break;
    const size_t index = static_cast<size_t>(position);
    if (index >= values.size()) break;
    const int y = kWaveCentreY - static_cast<int>(kWaveHalfHeight * values[index]);
    points->push_back({kWaveOriginX + x - scrollX, y});
  }
}

int CursorX(int totalWidth, double durationSeconds, double positionSeconds) {
  if (!(durationSeconds > 0)) return 0;
  return static_cast<int>(totalWidth / durationSeconds * positionSeconds);
}

int StopScrollTarget(bool selectionExists, int anchorX, int endX) {
  return selectionExists ? std::min(anchorX, endX) - kAutoScrollZone : 0;
}
