#include "cli/StatusLine.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/shell/FileOperations.h"

namespace {

constexpr int kBarWidth = 30;
constexpr double kBarFloorDb = -60.0;

}  // namespace

StatusLine::StatusLine(int fd) : m_fd(fd), m_terminal(::isatty(fd) == 1) {}

StatusLine::~StatusLine() { Finish(); }

void StatusLine::Show(const std::string& text) {
  if (!m_terminal) return;
  WriteAll(m_fd, "\r" + text + "\033[K");
  m_written = true;
}

void StatusLine::Finish() {
  if (!m_written) return;
  WriteAll(m_fd, "\n");
  m_written = false;
}

std::string FormatPosition(double seconds) {
  seconds = std::max(seconds, 0.0);
  const long tenths = std::lround(std::floor(seconds * 10));
  const long hours = tenths / 36000;
  const long minutes = tenths / 600 % 60;
  const double rest = static_cast<double>(tenths % 600) / 10;
  char text[32];
  if (hours > 0)
    std::snprintf(text, sizeof text, "%ld:%02ld:%04.1f", hours, minutes, rest);
  else
    std::snprintf(text, sizeof text, "%02ld:%04.1f", minutes, rest);
  return text;
}

std::string FormatPeakMeter(double peak) {
  const double decibels = peak > 0 ? 20 * std::log10(std::min(peak, 1.0)) : -INFINITY;
  const double filled = std::clamp((decibels - kBarFloorDb) / -kBarFloorDb, 0.0, 1.0) * kBarWidth;
  const int bars = static_cast<int>(std::lround(filled));
  char level[32];
  if (std::isinf(decibels))
    std::snprintf(level, sizeof level, " -inf dBFS");
  else
    std::snprintf(level, sizeof level, "%5.1f dBFS", decibels);
  return std::string(level) + " [" + std::string(static_cast<size_t>(bars), '#') +
         std::string(static_cast<size_t>(kBarWidth - bars), '-') + "]";
}

std::string FormatRecordStatus(double seconds, bool paused, double peak) {
  return FormatPosition(seconds) + (paused ? "  paused     " : "  recording  ") + FormatPeakMeter(peak);
}
