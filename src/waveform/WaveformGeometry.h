#pragma once
// Where the waveform view puts things, in pixels of its logical (scrolled) space, and the
// arithmetic that maps seconds and values onto it. Free of any toolkit, so the view only paints.

#include <cstdint>
#include <vector>

inline constexpr int kWaveCentreY = 60;
inline constexpr int kWaveHalfHeight = 40;
inline constexpr int kWaveTop = kWaveCentreY - kWaveHalfHeight;
inline constexpr int kWaveBottom = kWaveCentreY + kWaveHalfHeight;
inline constexpr int kWaveOriginX = 0;
inline constexpr int kStatusBoxTop = 108;
inline constexpr int kStatusBoxBottom = 164;
inline constexpr int kStatusBoxMargin = 10;
// How close to a visible edge a drag must come before the view scrolls by itself.
inline constexpr int kAutoScrollZone = 10;

struct WaveformPoint {
  int32_t x;
  int32_t y;
};

// Total width of the waveform: up to 30 seconds fill the visible width, longer files get
// 30 seconds per visible width. 0 for a duration that is not positive.
int WaveformWidth(double durationSeconds, int clientWidth);

// One vertex per visible column from scrollX on, each the value that falls on that column (no
// averaging), with x relative to the visible area. Only the visible columns are looked at, so
// the cost does not depend on the number of values.
void VisibleWaveformPoints(const std::vector<float>& values, int totalWidth, int scrollX, int clientWidth,
                           std::vector<WaveformPoint>* points);

// The playback cursor's logical x for a position in seconds.
int CursorX(int totalWidth, double durationSeconds, double positionSeconds);

// Where the view scrolls back to when playback stops: a little before the selection's start,
// or the beginning.
int StopScrollTarget(bool selectionExists, int anchorX, int endX);
