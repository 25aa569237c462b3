#include <gtest/gtest.h>

#include <vector>

#include "filters/VorbisInputLayout.h"

namespace {

// Reads one frame of `bytes` into as many channels as the layout has.
std::vector<float> ReadFrame(const VorbisInputLayout& layout, const std::vector<uint8_t>& bytes) {
  std::vector<std::vector<float>> channels(layout.Channels(), std::vector<float>(2, -9.0f));
  std::vector<float*> pointers;
  for (auto& channel : channels) pointers.push_back(channel.data());
  layout.Copy(bytes.data(), 1, pointers.data(), 1);
  std::vector<float> frame;
  for (const auto& channel : channels) {
    EXPECT_EQ(channel[0], -9.0f) << "wrote before the offset";
    frame.push_back(channel[1]);
  }
  return frame;
}

std::vector<uint8_t> Extensible(uint32_t subFormatTag) {
  std::vector<uint8_t> extra(22);
  PutLe16(&extra[0], 16);
  PutLe32(&extra[2], 0x3F);
  const uint8_t base[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  PutLe32(&extra[6], subFormatTag);
  std::copy(std::begin(base), std::end(base), extra.begin() + 10);
  return extra;
}

TEST(VorbisInputLayoutTest, SixChannelsMoveToVorbisOrder) {
  WAVEFORMATEX format = MakePcmFormat(48000, 6, 16);
  const auto layout = VorbisInputLayout::From(format, {});
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->ChannelMap(), (std::vector<int>{0, 2, 1, 5, 3, 4}));
  std::vector<uint8_t> frame(12);
  // FL, FR, C, LFE, RL, RR carry 1..6 / 8.
  for (int k = 0; k < 6; ++k) PutLe16(&frame[k * 2], static_cast<uint16_t>((k + 1) * 4096));
  EXPECT_EQ(ReadFrame(*layout, frame), (std::vector<float>{0.125f, 0.375f, 0.25f, 0.625f, 0.75f, 0.5f}));

  const auto stereo = VorbisInputLayout::From(MakePcmFormat(48000, 2, 16), {});
  EXPECT_EQ(stereo->ChannelMap(), (std::vector<int>{0, 1}));
}

TEST(VorbisInputLayoutTest, EverySampleSizeScalesToPlusMinusOne) {
  struct Case {
    uint16_t bits;
    std::vector<uint8_t> bytes;  // one frame: minimum, then a positive half
    std::vector<float> expected;
  };
  const Case cases[] = {
      {8, {0x00, 0xC0}, {-1.0f, 0.5f}},
      {16, {0x00, 0x80, 0x00, 0x40}, {-1.0f, 0.5f}},
      {24, {0x00, 0x00, 0x80, 0x00, 0x00, 0x40}, {-1.0f, 0.5f}},
      {32, {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x40}, {-1.0f, 0.5f}},
  };
  for (const Case& c : cases) {
    const auto layout = VorbisInputLayout::From(MakePcmFormat(8000, 2, c.bits), {});
    ASSERT_TRUE(layout) << c.bits;
    EXPECT_EQ(ReadFrame(*layout, c.bytes), c.expected) << c.bits << " bits";
  }
  WAVEFORMATEX floats = MakePcmFormat(8000, 1, 32);
  floats.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
  const auto layout = VorbisInputLayout::From(floats, {});
  ASSERT_TRUE(layout);
  EXPECT_EQ(ReadFrame(*layout, {0x00, 0x00, 0xC0, 0x3F}), (std::vector<float>{1.5f}));
}

TEST(VorbisInputLayoutTest, ExtensibleRecordsUseTheirSubFormat) {
  WAVEFORMATEX format = MakePcmFormat(48000, 2, 16);
  format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  format.cbSize = 22;
  EXPECT_TRUE(VorbisInputLayout::From(format, Extensible(WAVE_FORMAT_PCM)));
  EXPECT_FALSE(VorbisInputLayout::From(format, Extensible(WAVE_FORMAT_IEEE_FLOAT))) << "16-bit float";
  EXPECT_FALSE(VorbisInputLayout::From(format, Extensible(WAVE_FORMAT_MPEGLAYER3)));
  std::vector<uint8_t> otherBase = Extensible(WAVE_FORMAT_PCM);
  otherBase[21] ^= 0xFF;
  EXPECT_FALSE(VorbisInputLayout::From(format, otherBase));
  const std::vector<uint8_t> full = Extensible(WAVE_FORMAT_PCM);
  EXPECT_FALSE(VorbisInputLayout::From(format, std::span(full).first(10))) << "short extra bytes";
}

}  // namespace
