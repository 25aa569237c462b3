#pragma once
// What the device settings page offers for one capture device: the sampling rates, channel
// counts and sample sizes its capabilities allow, each ascending without duplicates, and the
// fixed latency choices; and how a stored record maps onto those lists and back. No Qt.
// User-interface thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/media/StreamConfig.h"
#include "platform/media/WaveFormat.h"
#include "settings/DeviceSettings.h"

class DeviceFormatChoices {
 public:
  // The four lists, in the order the page shows them.
  enum Field { SampleRate, Channels, BitsPerSample, Latency, kFieldCount };
  using Positions = std::array<int, kFieldCount>;  // -1: nothing chosen in that list

  static constexpr std::array<uint32_t, 7> kLatenciesMs{500, 250, 100, 80, 60, 40, 30};

  DeviceFormatChoices();

  // Takes what one capability offers: its format's values, and the common values inside the
  // ranges it announces (a device that converts announces ranges, not a list of formats).
  void AddCapability(const WAVEFORMATEX& format, const AUDIO_STREAM_CONFIG_CAPS& caps);
  const std::vector<uint32_t>& List(Field field) const { return m_lists[field]; }

  // Where each field of `stored` stands in its list; -1 when the list does not offer it.
  Positions PositionsOf(const DeviceSettings& stored) const;
  // The record the chosen positions make; a list without a choice keeps `stored`'s value.
  DeviceSettings Chosen(const DeviceSettings& stored, const Positions& positions) const;

 private:
  void Add(Field field, uint32_t value);

  std::array<std::vector<uint32_t>, kFieldCount> m_lists;
};
