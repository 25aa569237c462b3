#include <gtest/gtest.h>

#include <vector>

#include "platform/media/WaveFormatExtensible.h"

TEST(WaveFormatExtensible, SubFormatTagsRoundTrip) {
  const std::vector<uint8_t> extra = EncodeExtensibleExtra(24, 0x3F, WAVE_FORMAT_IEEE_FLOAT);
  EXPECT_EQ(extra, (std::vector<uint8_t>{24, 0,    0x3F, 0,    0, 0, 3,    0, 0,    0,    0,
                                         0,  0x10, 0,    0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}));
  WAVEFORMATEX format;
  format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  format.cbSize = 22;
  EXPECT_EQ(PlainFormatTag(format, extra), WAVE_FORMAT_IEEE_FLOAT);
  format.wFormatTag = WAVE_FORMAT_PCM;
  EXPECT_EQ(PlainFormatTag(format, {}), WAVE_FORMAT_PCM) << "a plain record is its own tag";
}

TEST(WaveFormatExtensible, ShortOrForeignSubFormatsHaveNoTag) {
  WAVEFORMATEX format;
  format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  format.cbSize = 22;
  std::vector<uint8_t> extra = EncodeExtensibleExtra(16, 0, WAVE_FORMAT_PCM);
  EXPECT_FALSE(PlainFormatTag(format, std::span(extra).first(21)));
  format.cbSize = 21;
  EXPECT_FALSE(PlainFormatTag(format, extra)) << "cbSize too small";
  format.cbSize = 22;
  extra[21] ^= 1;
  EXPECT_FALSE(PlainFormatTag(format, extra)) << "outside the wave-tag family";
}
