#include <gtest/gtest.h>

#include <cstdio>

#include "filters/MpegAudioStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A frame of the right length whose body is zeros.
Bytes Frame(uint8_t b1, uint8_t b2, uint8_t b3) {
  const uint8_t head[4] = {0xFF, b1, b2, b3};
  const auto header = ParseMpegAudioFrameHeader(std::span<const uint8_t, 4>(head));
  EXPECT_TRUE(header);
  Bytes frame(header ? header->FrameBytes() : 4, 0);
  std::copy(head, head + 4, frame.begin());
  return frame;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

HRESULT Read(Bytes bytes, MpegAudioStreamSummary* summary) {
  if (bytes.empty()) bytes.reserve(1);
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  const HRESULT hr = file ? ReadMpegAudioStream(file, "x.mp3", summary) : E_FAIL;
  if (file) std::fclose(file);
  return hr;
}

TEST(MpegAudioFrameHeader, DecodesEveryField) {
  // MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, padded, joint stereo, copyright, original.
  const uint8_t bytes[4] = {0xFF, 0xFB, 0x92, 0x6C};
  const auto header = ParseMpegAudioFrameHeader(std::span<const uint8_t, 4>(bytes));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->version, MpegAudioFrameHeader::Version::Mpeg1);
  EXPECT_FALSE(header->crc);
  EXPECT_EQ(header->bitrateKbps, 128);
  EXPECT_EQ(header->sampleRateHz, 44100);
  EXPECT_TRUE(header->padding);
  EXPECT_EQ(header->channelMode, MpegAudioFrameHeader::kJointStereo);
  EXPECT_TRUE(header->copyright);
  EXPECT_TRUE(header->original);
  EXPECT_EQ(header->FrameBytes(), 418u);
  EXPECT_EQ(header->SamplesPerFrame(), 1152);

  // MPEG-2, CRC, 8 kbit/s, 22.05 kHz, mono; MPEG-2.5 at 8 kHz.
  const uint8_t mpeg2[4] = {0xFF, 0xF2, 0x10, 0xC0};
  const auto low = ParseMpegAudioFrameHeader(std::span<const uint8_t, 4>(mpeg2));
  ASSERT_TRUE(low);
  EXPECT_EQ(low->version, MpegAudioFrameHeader::Version::Mpeg2);
  EXPECT_TRUE(low->crc);
  EXPECT_EQ(low->sampleRateHz, 22050);
  EXPECT_EQ(low->Channels(), 1);
  EXPECT_EQ(low->FrameBytes(), 26u);
  const uint8_t mpeg25[4] = {0xFF, 0xE3, 0x18, 0x00};
  EXPECT_EQ(ParseMpegAudioFrameHeader(std::span<const uint8_t, 4>(mpeg25))->sampleRateHz, 8000);
}

TEST(MpegAudioFrameHeader, RefusesWhatIsNotALayerThreeHeader) {
  const uint8_t cases[][4] = {
      {0xFE, 0xFB, 0x90, 0x00},  // no sync
      {0xFF, 0xEB, 0x90, 0x00},  // reserved version
      {0xFF, 0xFD, 0x90, 0x00},  // Layer II
      {0xFF, 0xFB, 0x00, 0x00},  // free format
      {0xFF, 0xFB, 0xF0, 0x00},  // bad bitrate
      {0xFF, 0xFB, 0x9C, 0x00},  // reserved rate
      {0xFF, 0xFB, 0x90, 0x02},  // reserved emphasis
  };
  for (const auto& bytes : cases)
    EXPECT_FALSE(ParseMpegAudioFrameHeader(std::span<const uint8_t, 4>(bytes)))
        << int(bytes[1]) << " " << int(bytes[2]);
}

TEST(MpegAudioStream, CountsFramesAndNoticesVariableBitrate) {
  MpegAudioStreamSummary summary;
  ASSERT_EQ(Read(Join({Frame(0xFB, 0x90, 0xC0), Frame(0xFB, 0x92, 0xC0), Frame(0xFB, 0x90, 0xC0)}), &summary), S_OK);
  EXPECT_EQ(summary.frames, 3u);
  EXPECT_EQ(summary.sampleFrames, 3u * 1152);
  EXPECT_EQ(summary.bytes, 3 * Frame(0xFB, 0x90, 0xC0).size() + 1);
  EXPECT_FALSE(summary.variableBitrate);
  EXPECT_EQ(summary.first.Channels(), 1);
  EXPECT_NEAR(summary.Seconds(), 3 * 1152 / 44100.0, 1e-9);

  ASSERT_EQ(Read(Join({Frame(0xFB, 0x90, 0x00), Frame(0xFB, 0xE0, 0x00)}), &summary), S_OK);
  EXPECT_TRUE(summary.variableBitrate);
}

TEST(MpegAudioStream, RefusesEmptyCutOffInterruptedAndMixedStreams) {
  const Bytes frame = Frame(0xFB, 0x90, 0x00);
  Bytes cut = Join({frame, frame});
  cut.pop_back();
  Bytes garbage = Join({frame, Bytes{'T', 'A', 'G', 0}, frame});
  const Bytes mixedRate = Join({frame, Frame(0xFB, 0x94, 0x00)});
  const Bytes shortTail = Join({frame, Bytes{0xFF, 0xFB}});
  MpegAudioStreamSummary summary;
  for (const Bytes& bytes : {Bytes{}, cut, garbage, mixedRate, shortTail}) {
    ClearErrorInfo();
    EXPECT_EQ(Read(bytes, &summary), VFW_E_INVALID_FILE_FORMAT) << bytes.size();
    EXPECT_NE(GetErrorInfo().find("x.mp3"), std::string::npos);
  }
}

}  // namespace
