#include "waveform/WaveformCondenser.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Fewer values per second at higher rates, so a display line stays a similar length of time.
int32_t StepDivisor(int32_t samplesPerSecond) {
  if (samplesPerSecond < 12000) return 40;
  if (samplesPerSecond < 32000) return 60;
  if (samplesPerSecond < 48000) return 100;
  return 300;
}

}  // namespace

bool WaveformCondenser::Accepts(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) &&
         format.nChannels > 0 && format.nSamplesPerSec > 0 &&
         format.nSamplesPerSec <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max());
}

void WaveformCondenser::SetFormat(const WAVEFORMATEX& format) {
  m_channels = format.nChannels;
  m_samplesPerSecond = static_cast<int32_t>(format.nSamplesPerSec);
  m_bytesPerSample = format.wBitsPerSample / 8;
  const int64_t divisor = int64_t{StepDivisor(m_samplesPerSecond)} * m_channels;
  m_step = static_cast<int32_t>(m_samplesPerSecond / divisor);
  m_totalBytes = 0;
}

void WaveformCondenser::Condense(std::span<const uint8_t> data, std::vector<int>* values) {
  values->clear();
  m_totalBytes += static_cast<int64_t>(data.size());
  const size_t frame = size_t{m_channels} * static_cast<size_t>(m_bytesPerSample);
  if (frame == 0) return;
  const size_t share = frame + static_cast<size_t>(m_step);
  const size_t count = (data.size() + share - 1) / share;
  values->reserve(count);
  for (size_t k = 0; k < count; ++k) {
    const size_t offset = k * share;
    const size_t start = offset - offset % frame;
    values->push_back(FrameValue(data.data() + start, std::min(frame, data.size() - start)));
  }
}

int WaveformCondenser::FrameValue(const uint8_t* frame, size_t available) const {
  int64_t sum = 0;
  if (m_bytesPerSample == 1) {
    for (size_t i = 0; i < available; ++i) sum += int{frame[i]} - 128;
  } else {
    for (size_t i = 0; i + 1 < available; i += 2) sum += static_cast<int16_t>(GetLe16(frame + i));
  }
  const int64_t value = sum / static_cast<int64_t>(m_channels);
  const int64_t limit = m_bytesPerSample == 1 ? 127 : 32767;
  return static_cast<int>(std::clamp(value, -limit - 1, limit));
}

void WaveformCondenser::Track(int value) {
  const auto written = static_cast<int16_t>(value);
  m_maximum = std::max(m_maximum, written);
  m_minimum = std::min(m_minimum, written);
}

std::string WaveformCondenser::FinishHeader() {
  const double bytesPerSecond = static_cast<double>(m_channels) * m_samplesPerSecond * m_bytesPerSample;
  const double seconds = bytesPerSecond > 0 ? static_cast<double>(m_totalBytes) / bytesPerSecond : 0.0;
  m_totalBytes = 0;
  char line[256];
  std::snprintf(line, sizeof line, "%d\t%d\t%d\t%f\t%d\t%d", static_cast<int>(m_channels), m_samplesPerSecond,
                m_bytesPerSample, seconds, m_maximum, m_minimum);
  return line;
}
