#include <gtest/gtest.h>

#include <cstring>

#include "platform/media/WaveFileLayout.h"

namespace {

// RIFF/WAVE with the given chunks, each {tag, body}; the RIFF size is deliberately wrong.
std::vector<uint8_t> Riff(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks) {
  std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const auto& [tag, body] : chunks) {
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    uint8_t size[4];
    PutLe32(size, static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), size, size + 4);
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (body.size() % 2) bytes.push_back(0);
  }
  return bytes;
}

HRESULT Layout(std::vector<uint8_t> bytes, WaveFileLayout* layout) {
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  const HRESULT hr = ReadWaveFileLayout(file, "test.wav", layout);
  std::fclose(file);
  return hr;
}

TEST(WaveFileLayout, FindsFormatAndDataPastOddChunksWhateverTheEncoding) {
  WAVEFORMATEX adpcm = MakePcmFormat(8000, 1, 4);
  adpcm.wFormatTag = 0x11;
  const std::vector<uint8_t> format = EncodeWaveFormat(adpcm, std::vector<uint8_t>{0xF9, 0x01});
  WaveFileLayout layout;
  ASSERT_EQ(Layout(Riff({{"LIST", {1, 2, 3}}, {"fmt ", format}, {"data", {9, 8, 7, 6, 5}}}), &layout), S_OK);
  EXPECT_EQ(layout.formatBlock, format);
  EXPECT_EQ(layout.format.wFormatTag, 0x11);
  EXPECT_EQ(layout.dataOffset, 12u + 12u + 8u + format.size() + 8u);
  EXPECT_EQ(layout.dataBytes, 5u);
  EXPECT_EQ(layout.declaredDataBytes, 5u);
}

TEST(WaveFileLayout, ACutOffDataChunkReportsWhatIsThereAndWhatWasPromised) {
  std::vector<uint8_t> bytes =
      Riff({{"fmt ", EncodeWaveFormat(MakePcmFormat(44100, 2, 16))}, {"data", {1, 2, 3, 4, 5, 6, 7, 8}}});
  bytes.resize(bytes.size() - 3);
  WaveFileLayout layout;
  ASSERT_EQ(Layout(bytes, &layout), S_OK);
  EXPECT_EQ(layout.dataBytes, 5u);
  EXPECT_EQ(layout.declaredDataBytes, 8u);
}

TEST(WaveFileLayout, RefusesWhatIsNotAWavFileWithItsName) {
  const std::vector<std::vector<uint8_t>> damaged = {
      {'R', 'I', 'F', 'F'},
      Riff({{"data", {1, 2}}}),
      Riff({{"fmt ", {1, 0, 2, 0}}, {"data", {1, 2}}}),
      Riff({{"fmt ", EncodeWaveFormat(MakePcmFormat(8000, 1, 8))}}),
  };
  for (const auto& bytes : damaged) {
    WaveFileLayout layout;
    ClearErrorInfo();
    EXPECT_EQ(Layout(bytes, &layout), VFW_E_INVALID_FILE_FORMAT);
    EXPECT_NE(GetErrorInfo().find("test.wav"), std::string::npos);
  }
}

}  // namespace
