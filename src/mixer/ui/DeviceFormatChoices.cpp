#include "mixer/ui/DeviceFormatChoices.h"

#include <algorithm>

namespace {

// What users pick from when a device takes a whole range.
constexpr std::array<uint32_t, 11> kCommonRatesHz{8000, 11025, 16000, 22050, 32000, 44100,
                                                  48000, 88200, 96000, 176400, 192000};
constexpr std::array<uint32_t, 8> kCommonChannels{1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::array<uint32_t, 4> kCommonBits{8, 16, 24, 32};

bool InRange(uint32_t value, unsigned long minimum, unsigned long maximum, unsigned long granularity) {
  if (value < minimum || value > maximum) return false;
  return granularity == 0 || (value - minimum) % granularity == 0;
}

uint32_t FieldOf(const DeviceSettings& settings, DeviceFormatChoices::Field field) {
  switch (field) {
    case DeviceFormatChoices::SampleRate:
      return settings.samplesPerSec;
    case DeviceFormatChoices::Channels:
      return settings.channels;
    case DeviceFormatChoices::BitsPerSample:
      return settings.bitsPerSample;
    default:
      return settings.latencyMs;
  }
}

}  // namespace

DeviceFormatChoices::DeviceFormatChoices() {
  m_lists[Latency].assign(kLatenciesMs.begin(), kLatenciesMs.end());
}

void DeviceFormatChoices::Add(Field field, uint32_t value) {
  if (value == 0) return;  // a format field left open
  std::vector<uint32_t>& list = m_lists[field];
  const auto at = std::lower_bound(list.begin(), list.end(), value);
  if (at == list.end() || *at != value) list.insert(at, value);
}

void DeviceFormatChoices::AddCapability(const WAVEFORMATEX& format, const AUDIO_STREAM_CONFIG_CAPS& caps) {
  Add(SampleRate, format.nSamplesPerSec);
  Add(Channels, format.nChannels);
  Add(BitsPerSample, format.wBitsPerSample);
  if (caps.MaximumSampleFrequency > 0)
    for (uint32_t rate : kCommonRatesHz)
      if (InRange(rate, caps.MinimumSampleFrequency, caps.MaximumSampleFrequency, caps.SampleFrequencyGranularity))
        Add(SampleRate, rate);
  if (caps.MaximumChannels > 0)
    for (uint32_t channels : kCommonChannels)
      if (InRange(channels, caps.MinimumChannels, caps.MaximumChannels, caps.ChannelsGranularity))
        Add(Channels, channels);
  if (caps.MaximumBitsPerSample > 0)
    for (uint32_t bits : kCommonBits)
      if (InRange(bits, caps.MinimumBitsPerSample, caps.MaximumBitsPerSample, caps.BitsPerSampleGranularity))
        Add(BitsPerSample, bits);
}

DeviceFormatChoices::Positions DeviceFormatChoices::PositionsOf(const DeviceSettings& stored) const {
  Positions positions;
  for (int field = 0; field < kFieldCount; ++field) {
    const std::vector<uint32_t>& list = m_lists[field];
    const auto found = std::find(list.begin(), list.end(), FieldOf(stored, static_cast<Field>(field)));
    positions[field] = found == list.end() ? -1 : static_cast<int>(found - list.begin());
  }
  return positions;
}

DeviceSettings DeviceFormatChoices::Chosen(const DeviceSettings& stored, const Positions& positions) const {
  const auto choice = [&](Field field) {
    const std::vector<uint32_t>& list = m_lists[field];
    const int position = positions[field];
    return position >= 0 && static_cast<size_t>(position) < list.size() ? list[static_cast<size_t>(position)]
                                                                        : FieldOf(stored, field);
  };
  DeviceSettings chosen;
  chosen.samplesPerSec = choice(SampleRate);
  chosen.channels = static_cast<uint16_t>(choice(Channels));
  chosen.bitsPerSample = static_cast<uint16_t>(choice(BitsPerSample));
  chosen.latencyMs = choice(Latency);
  return chosen;
}
