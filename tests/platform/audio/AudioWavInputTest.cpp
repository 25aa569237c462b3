#include <gtest/gtest.h>

#include "support/WavBytes.h"
#include "platform/audio/virtual/WavFileReader.h"
#include "platform/audio/virtual/WavFileSignal.h"
#include "support/ScratchFolder.h"

namespace {

class AudioWavInputTest : public ::testing::Test {
 protected:
  std::string WriteWav(const WavLayout& layout, const std::vector<uint8_t>& data) {
    const std::string path = m_folder.File("input.wav");
    ScratchFolder::Write(path, WavBytes(layout, data));
    return path;
  }

  // Reads the whole signal in pieces of `pieceFrames`, as the capture stream would.
  std::vector<uint8_t> ReadSignal(const std::string& path, const WAVEFORMATEX& device, size_t pieceFrames = 1000) {
    std::unique_ptr<VirtualSignal> signal;
    EXPECT_EQ(WavFileSignal::Open(path, device, &signal), S_OK) << GetErrorInfo();
    std::vector<uint8_t> all;
    if (!signal) return all;
    std::vector<uint8_t> piece(pieceFrames * device.nBlockAlign);
    for (;;) {
      size_t frames = 0;
      EXPECT_EQ(signal->Read(piece.data(), pieceFrames, &frames), S_OK);
      all.insert(all.end(), piece.begin(), piece.begin() + static_cast<long>(frames * device.nBlockAlign));
      if (frames < pieceFrames) return all;
    }
  }

  ScratchFolder m_folder;
};

TEST_F(AudioWavInputTest, ReadsOddLayoutsFrameExact) {
  std::vector<int32_t> values;
  for (int i = 0; i < 2001 * 2; ++i) values.push_back((i * 37) % 60000 - 30000);
  const std::vector<uint8_t> data = PcmBytes(16, values);
  WavLayout layout;
  layout.oddChunkFirst = true;
  layout.listChunkAfterData = true;
  for (bool extensible : {false, true}) {
    layout.extensible = extensible;
    const std::string path = WriteWav(layout, data);
    std::unique_ptr<WavFileReader> reader;
    ASSERT_EQ(WavFileReader::Open(path, &reader), S_OK) << GetErrorInfo();
    EXPECT_EQ(reader->Format(), MakePcmFormat(44100, 2, 16));
    EXPECT_EQ(reader->FrameCount(), 2001u);
    EXPECT_EQ(ReadSignal(path, MakePcmFormat(44100, 2, 16), 7), data) << "extensible " << extensible;
  }
}

struct Conversion {
  const char* name;
  uint16_t fileChannels, fileBits;
  std::vector<int32_t> fileValues;
  uint16_t deviceChannels, deviceBits;
  std::vector<int32_t> deviceValues;
};

class AudioWavConversionTest : public AudioWavInputTest, public ::testing::WithParamInterface<Conversion> {};

TEST_P(AudioWavConversionTest, ConvertsToDeviceFormat) {
  const Conversion& c = GetParam();
  WavLayout layout;
  layout.channels = c.fileChannels;
  layout.bitsPerSample = c.fileBits;
  const std::string path = WriteWav(layout, PcmBytes(c.fileBits, c.fileValues));
  EXPECT_EQ(ReadSignal(path, MakePcmFormat(44100, c.deviceChannels, c.deviceBits)),
            PcmBytes(c.deviceBits, c.deviceValues));
}

INSTANTIATE_TEST_SUITE_P(
    AudioFormats, AudioWavConversionTest,
    ::testing::Values(Conversion{"MonoToStereo", 1, 16, {100, -200}, 2, 16, {100, 100, -200, -200}},
                      Conversion{"EightToSixteenBits", 1, 8, {-128, 0, 127}, 1, 16, {-32768, 0, 32512}},
                      Conversion{"TwentyFourToSixteenBits", 1, 24, {0x123456, -0x123456}, 1, 16, {0x1234, -0x1235}},
                      Conversion{"SixteenToThirtyTwoBits", 1, 16, {-2}, 1, 32, {-2 * 65536}},
                      Conversion{"StereoToMonoAverages", 2, 16, {1000, 3000, -100, 100}, 1, 16, {2000, 0}},
                      Conversion{"StereoToFourRepeats", 2, 16, {1, 2}, 4, 16, {1, 2, 1, 2}},
                      Conversion{"FourToStereoTakesFirst", 4, 16, {1, 2, 3, 4}, 2, 16, {1, 2}}),
    [](const ::testing::TestParamInfo<Conversion>& info) { return info.param.name; });

TEST_F(AudioWavInputTest, RefusesAnotherRateWithReadableMessage) {
  WavLayout layout;
  layout.rateHz = 48000;
  const std::string path = WriteWav(layout, PcmBytes(16, {0, 0}));
  std::unique_ptr<VirtualSignal> signal;
  ClearErrorInfo();
  EXPECT_EQ(WavFileSignal::Open(path, MakePcmFormat(44100, 2, 16), &signal), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(GetErrorInfo(), "The input file runs at 48000 Hz but the device is set to 44100 Hz.");
  EXPECT_FALSE(signal);
}

TEST_F(AudioWavInputTest, CutOffDataReadsTheWholeFramesPresent) {
  std::vector<uint8_t> bytes = WavBytes(WavLayout{}, PcmBytes(16, {1, 2, 3, 4, 5, 6}));
  bytes.resize(bytes.size() - 3);  // the last frame loses 3 of its 4 bytes
  const std::string path = m_folder.File("cut.wav");
  ScratchFolder::Write(path, bytes);
  EXPECT_EQ(ReadSignal(path, MakePcmFormat(44100, 2, 16)), PcmBytes(16, {1, 2, 3, 4}));
}

TEST_F(AudioWavInputTest, DamagedFilesFailWithAMessage) {
  const std::vector<uint8_t> good = WavBytes(WavLayout{}, PcmBytes(16, {1, 2}));
  WavLayout floatLayout;
  floatLayout.formatTag = 3;
  floatLayout.bitsPerSample = 32;
  WavLayout twelveBits;
  twelveBits.bitsPerSample = 12;
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
      {"empty", {}},
      {"garbage", std::vector<uint8_t>(100, 0x5A)},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
      {"cut in the format chunk", std::vector<uint8_t>(good.begin(), good.begin() + 26)},
      {"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36)},
      {"float samples", WavBytes(floatLayout, PcmBytes(32, {0}))},
      {"12-bit samples", WavBytes(twelveBits, {0, 0, 0, 0})},
  };
  for (const auto& [name, bytes] : cases) {
    const std::string path = m_folder.File("damaged.wav");
    ScratchFolder::Write(path, bytes);
    std::unique_ptr<WavFileReader> reader;
    ClearErrorInfo();
    EXPECT_EQ(WavFileReader::Open(path, &reader), VFW_E_INVALID_FILE_FORMAT) << name;
    EXPECT_NE(GetErrorInfo().find(path), std::string::npos) << name << ": " << GetErrorInfo();
    EXPECT_FALSE(reader) << name;
  }
  std::unique_ptr<WavFileReader> reader;
  EXPECT_TRUE(FAILED(WavFileReader::Open(m_folder.File("missing.wav"), &reader)));
  EXPECT_NE(GetErrorInfo().find("missing.wav"), std::string::npos);
}

}  // namespace
