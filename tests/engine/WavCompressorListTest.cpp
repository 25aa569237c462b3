#include <gtest/gtest.h>

#include "engine/WavCompressorList.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/media/DeviceEnumerator.h"

namespace {

DeviceEntry Named(const std::string& property, const std::string& name) {
  return {{{property, name}}, [](std::shared_ptr<IBaseFilter>*) { return E_NOTIMPL; }};
}

TEST(WavCompressorList, LeavesOutTheNeverOfferedNamesWholeAndWithoutRegardToCase) {
  RegisterDeviceCategory(CLSID_AudioCompressorCategory, [] {
    return std::vector<DeviceEntry>{Named("Description", "IMA ADPCM"),
                                    Named("Description", "IAC2"),
                                    Named("FriendlyName", "Windows Media Audio V2"),
                                    Named("Description", "iac2 extended"),
                                    Named("Description", "Vorbis Encoder"),
                                    Named("FriendlyName", "GSM 6.10")};
  });
  std::vector<WavCompressorLine> lines;
  const HRESULT hr = ListWavCompressors(&lines);
  RegisterAudioCompressors();
  ASSERT_EQ(hr, S_OK);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].name, "IMA ADPCM");
  EXPECT_EQ(lines[0].compressorIndex, 0);
  // Containing a fixed name is not being one.
  EXPECT_EQ(lines[1].name, "iac2 extended");
  EXPECT_EQ(lines[1].compressorIndex, 3);
  EXPECT_EQ(lines[2].name, "GSM 6.10");
  EXPECT_EQ(lines[2].compressorIndex, 5);
}

}  // namespace
