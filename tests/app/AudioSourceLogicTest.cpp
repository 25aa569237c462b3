// The rules behind the audio source dialog, without widgets: what the device settings page
// lists and stores, and the preview flag a port leaves behind.

#include <gtest/gtest.h>

#include "mixer/ui/AudioSourceSession.h"
#include "mixer/ui/DeviceFormatChoices.h"

namespace {

using List = std::vector<uint32_t>;

// A capability that names one format and no ranges.
void AddFormat(DeviceFormatChoices& choices, uint32_t rateHz, uint16_t channels, uint16_t bits) {
  choices.AddCapability(MakePcmFormat(rateHz, channels, bits), AUDIO_STREAM_CONFIG_CAPS{});
}

TEST(DeviceFormatChoicesTest, CapabilitiesAreListedAscendingWithoutDuplicates) {
  DeviceFormatChoices choices;
  AddFormat(choices, 44100, 2, 16);
  AddFormat(choices, 8000, 1, 8);
  AddFormat(choices, 44100, 2, 16);
  EXPECT_EQ(choices.List(DeviceFormatChoices::SampleRate), (List{8000, 44100}));
  EXPECT_EQ(choices.List(DeviceFormatChoices::Channels), (List{1, 2}));
  EXPECT_EQ(choices.List(DeviceFormatChoices::BitsPerSample), (List{8, 16}));
  EXPECT_EQ(choices.List(DeviceFormatChoices::Latency), (List{500, 250, 100, 80, 60, 40, 30}));
  // A format field left open offers nothing.
  AddFormat(choices, 0, 0, 0);
  EXPECT_EQ(choices.List(DeviceFormatChoices::SampleRate), (List{8000, 44100}));
}

TEST(DeviceFormatChoicesTest, ARangeOffersTheCommonValuesInsideItOnItsGranularity) {
  AUDIO_STREAM_CONFIG_CAPS caps;
  caps.MinimumSampleFrequency = 8000;
  caps.MaximumSampleFrequency = 48000;
  caps.SampleFrequencyGranularity = 8000;
  caps.MinimumChannels = 1;
  caps.MaximumChannels = 0xFFFFFFFF;  // a driver's "any": bounded by the common counts
  caps.ChannelsGranularity = 1;
  caps.MinimumBitsPerSample = 16;
  caps.MaximumBitsPerSample = 24;
  caps.BitsPerSampleGranularity = 8;
  DeviceFormatChoices choices;
  choices.AddCapability(MakePcmFormat(44100, 2, 16), caps);
  EXPECT_EQ(choices.List(DeviceFormatChoices::SampleRate), (List{8000, 16000, 32000, 44100, 48000}));
  EXPECT_EQ(choices.List(DeviceFormatChoices::Channels), (List{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(choices.List(DeviceFormatChoices::BitsPerSample), (List{16, 24}));
}

TEST(DeviceFormatChoicesTest, StoredValuesSelectTheirEntriesAndAListWithoutChoiceKeepsTheStoredValue) {
  DeviceFormatChoices choices;
  AddFormat(choices, 8000, 1, 16);
  AddFormat(choices, 44100, 2, 16);
  DeviceSettings stored;
  stored.samplesPerSec = 22050;  // not offered
  stored.channels = 2;
  stored.bitsPerSample = 16;
  stored.latencyMs = 80;
  const DeviceFormatChoices::Positions positions = choices.PositionsOf(stored);
  EXPECT_EQ(positions, (DeviceFormatChoices::Positions{-1, 1, 0, 3}));

  const DeviceSettings chosen = choices.Chosen(stored, {-1, 0, 0, 6});
  EXPECT_EQ(chosen.samplesPerSec, 22050u);
  EXPECT_EQ(chosen.channels, 1u);
  EXPECT_EQ(chosen.bitsPerSample, 16u);
  EXPECT_EQ(chosen.latencyMs, 30u);
  EXPECT_EQ(choices.Chosen(stored, {-1, -1, 5, -1}), stored);  // out of range counts as no choice
}

TEST(PreviewFlagsTest, AnAnalogSourceClearsBitZeroAnyOtherSetsItOtherBitsStay) {
  EXPECT_EQ(PreviewFlagsForPort(7, MIXERLINE_COMPONENTTYPE_SRC_ANALOG), 6u);
  EXPECT_EQ(PreviewFlagsForPort(6, MIXERLINE_COMPONENTTYPE_SRC_ANALOG), 6u);
  EXPECT_EQ(PreviewFlagsForPort(2, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE), 3u);
  EXPECT_EQ(PreviewFlagsForPort(0, MIXERLINE_COMPONENTTYPE_SRC_LINE), 1u);
  EXPECT_EQ(PreviewFlagsForPort(0xFFFFFFFF, MIXERLINE_COMPONENTTYPE_SRC_ANALOG), 0xFFFFFFFEu);
}

}  // namespace
