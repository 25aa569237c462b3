#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filters/OggGenericStream.h"
#include "filters/OggMuxRig.h"

namespace {

uint64_t Le64(const uint8_t* at) { return GetLe32(at) | static_cast<uint64_t>(GetLe32(at + 4)) << 32; }

std::vector<uint8_t> Prefix(bool syncPoint, int64_t duration) {
  uint8_t prefix[kOggDataPacketPrefixMaxBytes] = {};
  const size_t length = EncodeDataPacketPrefix(syncPoint, duration, prefix);
  return std::vector<uint8_t>(prefix, prefix + length);
}

TEST(OggGenericStreamTest, StereoPcmHeaderIsByteExact) {
  const auto header = MakeAudioStreamHeader(PcmType(44100, 2, 16), 88200);
  ASSERT_TRUE(header);
  const std::vector<uint8_t> packet = EncodeStreamHeaderPacket(*header);
  ASSERT_EQ(packet.size(), 57u);
  EXPECT_EQ(packet[0], 0x01);
  const uint8_t* at = packet.data() + 1;

  const uint8_t type[8] = {'a', 'u', 'd', 'i', 'o', 0, 0, 0};
  EXPECT_EQ(std::memcmp(at, type, 8), 0);
  EXPECT_EQ(std::memcmp(at + 8, "0001", 4), 0);
  EXPECT_EQ(GetLe32(at + 12), 56u);
  EXPECT_EQ(Le64(at + 16), 10000000u);
  EXPECT_EQ(Le64(at + 24), 44100u);
  EXPECT_EQ(GetLe32(at + 32), 1u);
  EXPECT_EQ(GetLe32(at + 36), 88200u);
  EXPECT_EQ(GetLe16(at + 40), 16);
  EXPECT_EQ(GetLe16(at + 42), 0);
  EXPECT_EQ(GetLe16(at + 44), 2);
  EXPECT_EQ(GetLe16(at + 46), 4);
  EXPECT_EQ(GetLe32(at + 48), 176400u);
  EXPECT_EQ(GetLe32(at + 52), 0u);
}

TEST(OggGenericStreamTest, AudioHeaderCarriesTheTagInLowerCaseHexAndTheExtraBytes) {
  WAVEFORMATEX format{0x0011, 1, 22050, 11100, 512, 4, 2};
  const uint8_t extra[2] = {0xF9, 0x03};
  const auto header = MakeAudioStreamHeader(MakeAudioMediaType(format, extra), 4096);
  ASSERT_TRUE(header);
  const std::vector<uint8_t> packet = EncodeStreamHeaderPacket(*header);
  ASSERT_EQ(packet.size(), 59u);
  EXPECT_EQ(std::memcmp(packet.data() + 9, "0011", 4), 0);
  EXPECT_EQ(GetLe32(packet.data() + 13), 58u);
  EXPECT_EQ(packet[57], 0xF9);
  EXPECT_EQ(packet[58], 0x03);

  format.wFormatTag = 0xFFFE;
  format.cbSize = 0;
  const auto extensible = MakeAudioStreamHeader(MakeAudioMediaType(format), 4096);
  ASSERT_TRUE(extensible);
  EXPECT_EQ(std::memcmp(EncodeStreamHeaderPacket(*extensible).data() + 9, "fffe", 4), 0);
}

TEST(OggGenericStreamTest, AudioWithoutARateIsRefused) {
  EXPECT_FALSE(MakeAudioStreamHeader(PcmType(0, 2, 16), 4096));
  AM_MEDIA_TYPE shortBlock = PcmType(8000, 1, 8);
  shortBlock.format.resize(10);
  EXPECT_FALSE(MakeAudioStreamHeader(shortBlock, 4096));
}

TEST(OggGenericStreamTest, VideoHeaderComesFromTheVideoInfoBlock) {
  const uint32_t yv12 = 0x32315659;
  const auto header = MakeVideoStreamHeader(VideoType(yv12, 400000, 320, 240, 12), 115200);
  ASSERT_TRUE(header);
  const std::vector<uint8_t> packet = EncodeStreamHeaderPacket(*header);
  ASSERT_EQ(packet.size(), 57u);
  const uint8_t* at = packet.data() + 1;
  const uint8_t type[8] = {'v', 'i', 'd', 'e', 'o', 0, 0, 0};
  EXPECT_EQ(std::memcmp(at, type, 8), 0);
  EXPECT_EQ(std::memcmp(at + 8, "YV12", 4), 0);
  EXPECT_EQ(Le64(at + 16), 400000u);
  EXPECT_EQ(Le64(at + 24), 1u);
  EXPECT_EQ(GetLe32(at + 36), 115200u);
  EXPECT_EQ(GetLe16(at + 40), 12);
  EXPECT_EQ(GetLe32(at + 44), 320u);
  EXPECT_EQ(GetLe32(at + 48), 240u);
}

TEST(OggGenericStreamTest, VideoWithoutAFrameTimeIsRefused) {
  EXPECT_FALSE(MakeVideoStreamHeader(VideoType(0x32315659, 0, 320, 240, 12), 4096));
  AM_MEDIA_TYPE shortBlock = VideoType(0x32315659, 400000, 320, 240, 12);
  shortBlock.format.resize(60);
  EXPECT_FALSE(MakeVideoStreamHeader(shortBlock, 4096));
}

TEST(OggGenericStreamTest, TextHeaderUsesMillisecondUnits) {
  const std::vector<uint8_t> packet = EncodeStreamHeaderPacket(MakeTextStreamHeader());
  ASSERT_EQ(packet.size(), 57u);
  const uint8_t* at = packet.data() + 1;
  const uint8_t type[8] = {'t', 'e', 'x', 't', 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(at, type, 8), 0);
  EXPECT_EQ(GetLe32(at + 8), 0u);
  EXPECT_EQ(Le64(at + 16), 10000u);
  EXPECT_EQ(Le64(at + 24), 1u);
  EXPECT_EQ(GetLe32(at + 36), 16384u);
}

TEST(OggGenericStreamTest, DurationTakesTheFewestBytes) {
  EXPECT_EQ(Prefix(false, 1), (std::vector<uint8_t>{0x00}));
  EXPECT_EQ(Prefix(true, 1), (std::vector<uint8_t>{0x08}));
  EXPECT_EQ(Prefix(false, 0), (std::vector<uint8_t>{0x40, 0x00}));
  EXPECT_EQ(Prefix(false, 255), (std::vector<uint8_t>{0x40, 0xFF}));
  EXPECT_EQ(Prefix(false, 300), (std::vector<uint8_t>{0x80, 0x2C, 0x01}));
  EXPECT_EQ(Prefix(true, 300), (std::vector<uint8_t>{0x88, 0x2C, 0x01}));
  EXPECT_EQ(Prefix(false, 0xFFFFFF), (std::vector<uint8_t>{0xC0, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Prefix(false, 0x1000000), (std::vector<uint8_t>{0x02, 0x00, 0x00, 0x00, 0x01}));
  EXPECT_EQ(Prefix(true, 0x12345678), (std::vector<uint8_t>{0x0A, 0x78, 0x56, 0x34, 0x12}));
}

TEST(OggGenericStreamTest, DurationsOutsideFourBytesAreHeldToTheirRange) {
  EXPECT_EQ(Prefix(false, int64_t{1} << 40), (std::vector<uint8_t>{0x02, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Prefix(false, -5), (std::vector<uint8_t>{0x40, 0x00}));
}

TEST(OggGenericStreamTest, GranulesRoundToNearestBothWays) {
  const auto header = MakeAudioStreamHeader(PcmType(44100, 2, 16), 4096);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->GranuleFromTime(10000000), 44100);
  EXPECT_EQ(header->GranuleFromTime(113), 0);  // 0.498 of a sample
  EXPECT_EQ(header->GranuleFromTime(114), 1);  // 0.503 of a sample
  EXPECT_EQ(header->TimeFromGranule(1), 227);  // 226.76 units
  // A day of audio stays exact: no overflow in the product.
  EXPECT_EQ(header->GranuleFromTime(int64_t{864000000000}), int64_t{3810240000});
}

}  // namespace
