#include "waveform/LoadWaveform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

namespace {

struct Header {
  int bytesPerSample = 0;
  double durationSeconds = 0;
  int maximum = 0;
  int minimum = 0;
};

struct Scales {
  float positive = 0;
  float negative = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// One line without its "\r\n" or "\n"; false at the end of the file.
bool ReadLine(std::FILE* file, std::string* line) {
  line->clear();
  int c;
  while ((c = getc_unlocked(file)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
  if (c == EOF && line->empty()) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

// As atoi reads it, but saturating instead of overflowing.
int ToInt(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool ParseHeader(const std::string& line, Header* header) {
  std::string fields[6];
  size_t count = 0;
  size_t start = 0;
  while (count < 6) {
    const size_t tab = line.find('\t', start);
    fields[count++] = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (count < 6) return false;
  header->bytesPerSample = ToInt(fields[2]);
  header->durationSeconds = std::strtod(fields[3].c_str(), nullptr);
  header->maximum = ToInt(fields[4]);
  header->minimum = ToInt(fields[5]);
  return std::isfinite(header->durationSeconds) && header->durationSeconds > 0;
}

Scales ChooseScales(const Header& header) {
  const bool wide8 = header.bytesPerSample == 1 && header.maximum > 12.7 && header.minimum < -12.8;
  const bool wide16 = header.bytesPerSample == 2 && header.maximum > 3276.7 && header.minimum < -3276.8;
  const bool otherWidth = header.bytesPerSample != 1 && header.bytesPerSample != 2;
  if (wide8 || wide16 || otherWidth) {
    // A header claiming extremes of 0 has no values on that side; a damaged one gets clamped.
    return {header.maximum > 0 ? 1.0f / static_cast<float>(header.maximum) : 0.0f,
            header.minimum < 0 ? -1.0f / static_cast<float>(header.minimum) : 0.0f};
  }
  if (header.bytesPerSample == 1) return {1.0f / 127.0f, 1.0f / 128.0f};
  return {1.0f / 32767.0f, 1.0f / 32768.0f};
}

float Scaled(int value, const Scales& scales) {
  if (value == 0) return 0.0f;
  const float scaled = static_cast<float>(value) * (value > 0 ? scales.positive : scales.negative);
  return std::clamp(scaled, -1.0f, 1.0f);
}

}  // namespace

bool LoadWaveform(const std::string& dumpFile, WaveformData* data) {
  File file(std::fopen(dumpFile.c_str(), "rbe"));
  return file && LoadWaveform(file.get(), data);
}

bool LoadWaveform(std::FILE* dump, WaveformData* data) {
  std::string line;
  Header header;
  if (!ReadLine(dump, &line) || !ParseHeader(line, &header)) return false;
  const Scales scales = ChooseScales(header);
  std::vector<float> values;
  while (ReadLine(dump, &line)) values.push_back(Scaled(ToInt(line), scales));
  if (std::ferror(dump)) return false;
  data->durationSeconds = header.durationSeconds;
  data->values = std::move(values);
  return true;
}
