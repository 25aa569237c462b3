#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "filters/VorbisPcmWriter.h"

namespace {

std::vector<int16_t> Write16(const VorbisPcmWriter& writer, const std::vector<std::vector<float>>& channels) {
  std::vector<const float*> pointers;
  for (const auto& channel : channels) pointers.push_back(channel.data());
  const int frames = static_cast<int>(channels[0].size());
  std::vector<uint8_t> bytes(channels.size() * static_cast<size_t>(frames) * 2);
  writer.Write(pointers.data(), frames, bytes.data());
  std::vector<int16_t> values(bytes.size() / 2);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return values;
}

std::vector<float> WriteFloat(const VorbisPcmWriter& writer, const std::vector<std::vector<float>>& channels) {
  std::vector<const float*> pointers;
  for (const auto& channel : channels) pointers.push_back(channel.data());
  const int frames = static_cast<int>(channels[0].size());
  std::vector<float> values(channels.size() * static_cast<size_t>(frames));
  writer.Write(pointers.data(), frames, reinterpret_cast<uint8_t*>(values.data()));
  return values;
}

}  // namespace

TEST(VorbisPcmWriter, SixteenBitScalesBy32767TruncatesAndClamps) {
  VorbisPcmWriter writer;
  writer.SetFormat({1, 44100, false});
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Write16(writer, {{1.0f, -1.0f, 1.5f, -1.5f, 0.5f, -0.5f, 0.99999f, nan, -infinity, 3e-5f, -3e-5f}}),
            (std::vector<int16_t>{32767, -32767, 32767, -32768, 16383, -16383, 32766, 0, -32768, 0, 0}));
}

TEST(VorbisPcmWriter, GainAppliesBeforeTheClamp) {
  VorbisPcmWriter writer;
  writer.SetFormat({1, 44100, false});
  writer.SetGain(0.5f);
  EXPECT_EQ(Write16(writer, {{1.0f, -1.0f, 1.5f, -4.0f}}), (std::vector<int16_t>{16383, -16383, 24575, -32768}));
  writer.SetFormat({1, 44100, true});
  EXPECT_EQ(WriteFloat(writer, {{1.0f, -3.0f}}), (std::vector<float>{1.0f, -3.0f})) << "a new format resets the gain";
  writer.SetGain(2.0f);
  EXPECT_EQ(WriteFloat(writer, {{1.0f, -3.0f}}), (std::vector<float>{2.0f, -6.0f})) << "floats are not clipped";
}

TEST(VorbisPcmWriter, FiveOneLeavesVorbisOrder) {
  VorbisPcmWriter writer;
  writer.SetFormat({6, 48000, true});
  EXPECT_EQ(writer.ChannelMap(), (std::vector<int>{0, 2, 1, 4, 5, 3}));
  // Vorbis: front left, centre, front right, rear left, rear right, LFE.
  EXPECT_EQ(WriteFloat(writer, {{0.1f, 1.1f}, {0.2f, 1.2f}, {0.3f, 1.3f}, {0.4f, 1.4f}, {0.5f, 1.5f}, {0.6f, 1.6f}}),
            (std::vector<float>{0.1f, 0.3f, 0.2f, 0.6f, 0.4f, 0.5f, 1.1f, 1.3f, 1.2f, 1.6f, 1.4f, 1.5f}));
  writer.SetFormat({3, 48000, true});
  EXPECT_EQ(writer.ChannelMap(), (std::vector<int>{0, 1, 2}));
}
