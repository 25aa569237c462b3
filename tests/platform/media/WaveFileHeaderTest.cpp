#include <gtest/gtest.h>

#include <cstring>

#include "platform/media/WaveFileHeader.h"
#include "platform/media/WaveFileLayout.h"
#include "platform/media/WaveFormat.h"

namespace {

std::string TagAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return std::string(reinterpret_cast<const char*>(bytes.data() + offset), 4);
}

TEST(WaveFileHeader, LaysOutTheFormatBlockAsGivenWithoutPadding) {
  const std::vector<uint8_t> format = EncodeWaveFormat(MakePcmFormat(44100, 2, 16));
  const std::vector<uint8_t> header = MakeWaveFileHeader(format, 1000);
  ASSERT_EQ(header.size(), 46u);
  EXPECT_EQ(TagAt(header, 0), "RIFF");
  EXPECT_EQ(GetLe32(header.data() + 4), 1038u);
  EXPECT_EQ(TagAt(header, 8), "WAVE");
  EXPECT_EQ(TagAt(header, 12), "fmt ");
  EXPECT_EQ(GetLe32(header.data() + 16), 18u);
  EXPECT_EQ(std::vector<uint8_t>(header.begin() + 20, header.begin() + 38), format);
  EXPECT_EQ(TagAt(header, 38), "data");
  EXPECT_EQ(GetLe32(header.data() + 42), 1000u);

  const std::vector<uint8_t> odd(17, 0xAB);
  const std::vector<uint8_t> oddHeader = MakeWaveFileHeader(odd, 0);
  ASSERT_EQ(oddHeader.size(), 45u);
  EXPECT_EQ(TagAt(oddHeader, 37), "data");
  EXPECT_EQ(GetLe32(oddHeader.data() + 4), 37u);
}

TEST(WaveFileHeader, CountsThePadByteOfOddDataOnlyWhenAskedAndHoldsTheRiffSize) {
  const std::vector<uint8_t> format(16, 0);
  EXPECT_EQ(GetLe32(MakeWaveFileHeader(format, 7).data() + 4), 43u);
  EXPECT_EQ(GetLe32(MakeWaveFileHeader(format, 7, WaveDataPad::ToEvenLength).data() + 4), 44u);
  EXPECT_EQ(GetLe32(MakeWaveFileHeader(format, 8, WaveDataPad::ToEvenLength).data() + 4), 44u);
  const std::vector<uint8_t> huge = MakeWaveFileHeader(format, 0xFFFFFFF0u, WaveDataPad::ToEvenLength);
  EXPECT_EQ(GetLe32(huge.data() + 4), 0xFFFFFFFFu);
  EXPECT_EQ(GetLe32(huge.data() + 40), 0xFFFFFFF0u);
}

TEST(WaveFileHeader, TheLayoutReaderFindsWhatTheHeaderDescribes) {
  WAVEFORMATEX gsm = MakePcmFormat(8000, 1, 0);
  gsm.wFormatTag = 0x31;
  const std::vector<uint8_t> format = EncodeWaveFormat(gsm, std::vector<uint8_t>{0x40, 0x01});
  std::vector<uint8_t> file = MakeWaveFileHeader(format, 5);
  file.insert(file.end(), {1, 2, 3, 4, 5});
  std::FILE* stream = fmemopen(file.data(), file.size(), "rb");
  ASSERT_NE(stream, nullptr);
  WaveFileLayout layout;
  const HRESULT hr = ReadWaveFileLayout(stream, "header.wav", &layout);
  std::fclose(stream);
  ASSERT_EQ(hr, S_OK);
  EXPECT_EQ(layout.formatBlock, format);
  EXPECT_EQ(layout.dataOffset, 28u + format.size());
  EXPECT_EQ(layout.dataBytes, 5u);
}

}  // namespace
