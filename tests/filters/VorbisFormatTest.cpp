#include <gtest/gtest.h>

#include <vector>

#include "filters/VorbisFormat.h"

namespace {

TEST(VorbisFormatTest, EncodesTheBlockByteExactly) {
  VORBISFORMAT format;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.nMinBitsPerSec = 64000;
  format.nAvgBitsPerSec = -1;
  format.nMaxBitsPerSec = 128000;
  format.fQuality = 0.5f;
  const std::vector<uint8_t> expected = {
      0x02, 0x00, 0x00, 0x00,  // channels
      0x44, 0xAC, 0x00, 0x00,  // 44100
      0x00, 0xFA, 0x00, 0x00,  // 64000
      0xFF, 0xFF, 0xFF, 0xFF,  // -1
      0x00, 0xF4, 0x01, 0x00,  // 128000
      0x00, 0x00, 0x00, 0x3F,  // 0.5f
  };
  EXPECT_EQ(EncodeVorbisFormat(format), expected);
  EXPECT_EQ(DecodeVorbisFormat(expected), format);
}

TEST(VorbisFormatTest, ShortBlockOrOtherTypeDecodesToNothing) {
  const std::vector<uint8_t> block = EncodeVorbisFormat(VORBISFORMAT{});
  EXPECT_FALSE(DecodeVorbisFormat(std::span(block).first(23)).has_value());

  AM_MEDIA_TYPE type = MakeVorbisMediaType(VORBISFORMAT{1, 8000, 0, 0, 0, 1.0f});
  EXPECT_TRUE(IsVorbisMediaType(type));
  EXPECT_EQ(VorbisFormatOf(type)->nSamplesPerSec, 8000);
  type.subtype = MEDIASUBTYPE_PCM;
  EXPECT_FALSE(VorbisFormatOf(type).has_value());
}

TEST(VorbisFormatTest, QualityRangeSelectsTheMode) {
  EXPECT_TRUE(IsVorbisQualityMode(-0.1f));
  EXPECT_TRUE(IsVorbisQualityMode(1.0f));
  EXPECT_TRUE(IsVorbisQualityMode(0.5f * 0.011f - 0.1f));
  EXPECT_FALSE(IsVorbisQualityMode(-1.0f));
  EXPECT_FALSE(IsVorbisQualityMode(1.01f));
}

}  // namespace
