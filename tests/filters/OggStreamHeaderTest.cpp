// Reading stream headers back: the multiplexer's generic layout, the older embedded-samples
// layout, Vorbis headers, and the granule positions of packets within a page.

#include <gtest/gtest.h>

#include <cstring>

#include "filters/OggEmbeddedSamplesHeader.h"
#include "filters/OggGenericStream.h"
#include "filters/OggGranuleTracker.h"
#include "filters/OggMuxRig.h"
#include "filters/OggStreamInfo.h"
#include "filters/VorbisDecRig.h"
#include "filters/VorbisFormat.h"
#include "filters/VorbisTestDecoder.h"

namespace {

TEST(OggStreamHeaderParseTest, ReadsBackWhatTheMultiplexerWrites) {
  const std::vector<uint8_t> extra = {1, 2, 3, 4};
  std::optional<OggStreamHeader> audio =
      MakeAudioStreamHeader(MakeAudioMediaType(MakePcmFormat(22050, 1, 8), extra), 4096);
  ASSERT_TRUE(audio);
  const std::optional<OggStreamHeader> back = ParseStreamHeaderPacket(EncodeStreamHeaderPacket(*audio));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->kind, OggGenericKind::Audio);
  EXPECT_EQ(back->subtypeCode, 1u);
  EXPECT_EQ(back->samplesPerUnit, 22050);
  EXPECT_EQ(back->timeUnit, kUnitsPerSecond);
  EXPECT_EQ(back->bufferBytes, 4096u);
  EXPECT_EQ(back->extra, extra);
  const AM_MEDIA_TYPE type = MediaTypeFromStreamHeader(*back);
  WAVEFORMATEX expected = MakePcmFormat(22050, 1, 8);
  expected.cbSize = 4;
  EXPECT_EQ(WaveFormatOf(type), expected);
  EXPECT_EQ(std::vector<uint8_t>(type.format.begin() + 18, type.format.end()), extra);

  const AM_MEDIA_TYPE video = VideoType(0x44495658 /* XVID */, 400000, 640, 480, 24);
  const std::optional<OggStreamHeader> videoBack =
      ParseStreamHeaderPacket(EncodeStreamHeaderPacket(*MakeVideoStreamHeader(video, 100000)));
  ASSERT_TRUE(videoBack);
  const AM_MEDIA_TYPE videoType = MediaTypeFromStreamHeader(*videoBack);
  EXPECT_EQ(videoType.subtype, video.subtype);
  EXPECT_TRUE(videoType.bTemporalCompression);
  EXPECT_FALSE(videoType.bFixedSizeSamples);
  ASSERT_EQ(videoType.format.size(), 1128u);
  EXPECT_EQ(GetLe64(videoType.format.data() + 40), 400000u);
  EXPECT_EQ(GetLe32(videoType.format.data() + 52), 640u);
  EXPECT_EQ(GetLe32(videoType.format.data() + 56), 480u);
  EXPECT_EQ(GetLe16(videoType.format.data() + 62), 24u);
  EXPECT_EQ(GetLe32(videoType.format.data() + 64), 0x44495658u);

  const AM_MEDIA_TYPE raw =
      MediaTypeFromStreamHeader(*MakeVideoStreamHeader(VideoType(0x32595559 /* YUY2 */, 400000, 8, 8, 16), 128));
  EXPECT_FALSE(raw.bTemporalCompression);
  EXPECT_TRUE(raw.bFixedSizeSamples);

  const std::optional<OggStreamHeader> text = ParseStreamHeaderPacket(EncodeStreamHeaderPacket(MakeTextStreamHeader()));
  ASSERT_TRUE(text);
  EXPECT_EQ(MediaTypeFromStreamHeader(*text).majortype, MEDIATYPE_Text);
}

TEST(OggStreamHeaderParseTest, RefusesHeadersItCannotUse) {
  OggStreamHeader header = *MakeAudioStreamHeader(PcmType(44100, 2, 16), 4096);
  std::vector<uint8_t> packet = EncodeStreamHeaderPacket(header);
  EXPECT_FALSE(ParseStreamHeaderPacket({packet.data(), packet.size() - 1}));

  std::vector<uint8_t> upper = packet;
  std::memcpy(&upper[9], "00FF", 4);
  ASSERT_TRUE(ParseStreamHeaderPacket(upper));
  EXPECT_EQ(ParseStreamHeaderPacket(upper)->subtypeCode, 0xFFu);

  std::vector<uint8_t> badHex = packet;
  badHex[9] = 'x';
  EXPECT_FALSE(ParseStreamHeaderPacket(badHex));
  std::vector<uint8_t> speech = packet;
  std::memcpy(&speech[1], "speech\0", 7);
  EXPECT_FALSE(ParseStreamHeaderPacket(speech));
  std::vector<uint8_t> timeless = packet;
  std::memset(&timeless[1 + 16], 0, 8);
  EXPECT_FALSE(ParseStreamHeaderPacket(timeless));
  std::vector<uint8_t> boastful = packet;
  PutLe32(&boastful[1 + 12], 5000);  // more extra bytes than the packet holds
  ASSERT_TRUE(ParseStreamHeaderPacket(boastful));
  EXPECT_TRUE(ParseStreamHeaderPacket(boastful)->extra.empty());
}

TEST(OggStreamHeaderParseTest, DataPacketsRoundTrip) {
  for (int64_t duration :
       {int64_t{1}, int64_t{0}, int64_t{300}, int64_t{70000}, int64_t{1} << 24, int64_t{4000000000}}) {
    uint8_t prefix[kOggDataPacketPrefixMaxBytes];
    const size_t length = EncodeDataPacketPrefix(duration == 300, duration, prefix);
    std::vector<uint8_t> packet(prefix, prefix + length);
    packet.push_back(0xAB);
    const std::optional<OggDataPacket> data = ParseDataPacket(packet);
    ASSERT_TRUE(data) << duration;
    EXPECT_EQ(data->duration, duration);
    EXPECT_EQ(data->syncPoint, duration == 300);
    ASSERT_EQ(data->payload.size(), 1u);
    EXPECT_EQ(data->payload[0], 0xAB);
    if (length > 1) {
      EXPECT_FALSE(ParseDataPacket({packet.data(), length - 1})) << duration;
    }
  }
  const uint8_t cut[] = {0x80};  // says one duration byte follows
  EXPECT_FALSE(ParseDataPacket(cut));
  EXPECT_FALSE(ParseDataPacket({}));
}

// The older layout: identifier, buffer size, media type record, format block.
std::vector<uint8_t> EmbeddedHeader(uint32_t formatWord, const std::vector<uint8_t>& block) {
  std::vector<uint8_t> packet(124, 0);
  packet[0] = 1;
  std::memcpy(&packet[1], "Direct Show Samples embedded in Ogg", 35);
  PutLe32(&packet[40], 32768);
  PutLe32(&packet[68], 0x31435641);  // subtype's first word
  PutLe32(&packet[96], formatWord);
  packet.insert(packet.end(), block.begin(), block.end());
  return packet;
}

TEST(OggEmbeddedSamplesHeaderTest, BecomesAGenericHeader) {
  std::vector<uint8_t> wave = EncodeWaveFormat(MakePcmFormat(48000, 2, 16), std::vector<uint8_t>{9, 8});
  const std::optional<OggStreamHeader> audio = ParseEmbeddedSamplesHeader(EmbeddedHeader(0x05589F81, wave));
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->kind, OggGenericKind::Audio);
  EXPECT_EQ(audio->samplesPerUnit, 48000);
  EXPECT_EQ(audio->channels, 2);
  EXPECT_EQ(audio->blockAlign, 4);
  EXPECT_EQ(audio->bufferBytes, 32768u);
  EXPECT_EQ(audio->extra, (std::vector<uint8_t>{9, 8}));

  std::vector<uint8_t> videoInfo(88, 0);
  PutLe32(&videoInfo[40], 333333);
  PutLe32(&videoInfo[52], 320);
  PutLe32(&videoInfo[56], 240);
  PutLe16(&videoInfo[62], 12);
  const std::optional<OggStreamHeader> video = ParseEmbeddedSamplesHeader(EmbeddedHeader(0x05589F80, videoInfo));
  ASSERT_TRUE(video);
  EXPECT_EQ(video->kind, OggGenericKind::Video);
  EXPECT_EQ(video->subtypeCode, 0x31435641u);
  EXPECT_EQ(video->timeUnit, 333333);
  EXPECT_EQ(video->width, 320u);
  EXPECT_EQ(video->height, 240u);
  EXPECT_EQ(video->bitsPerSample, 12);

  EXPECT_FALSE(ParseEmbeddedSamplesHeader(EmbeddedHeader(0x12345678, wave)));
  EXPECT_FALSE(ParseEmbeddedSamplesHeader(EmbeddedHeader(0x05589F80, std::vector<uint8_t>(40, 0))));
  std::vector<uint8_t> other = EmbeddedHeader(0x05589F81, wave);
  other[5] = 'X';
  EXPECT_FALSE(ParseEmbeddedSamplesHeader(other));
}

// The three headers libvorbis writes for a short stream.
std::vector<std::vector<uint8_t>> VorbisHeaders(int channels, long rateHz) {
  const std::vector<std::vector<float>> audio(channels, Sine(2048, 440, rateHz, 0.5));
  const VorbisTestStream stream = EncodeVorbisStream(rateHz, audio, {{"LANGUAGE", "dutch"}});
  std::vector<std::vector<uint8_t>> headers;
  for (int i = 0; i < 3; ++i) headers.push_back(stream.packets[i].bytes);
  return headers;
}

TEST(OggStreamInfoTest, VorbisStreamWithItsThreeHeaders) {
  std::vector<std::vector<uint8_t>> headers = VorbisHeaders(2, 32000);
  OggStreamInfo info;
  for (int i = 0; i < 3; ++i) info.AddPacket(PacketOf(headers[i], i));
  EXPECT_FALSE(info.HeadersComplete());
  std::vector<uint8_t> audio = {0, 1, 2};
  info.AddPacket(PacketOf(audio, 3));
  EXPECT_TRUE(info.HeadersComplete());
  ASSERT_TRUE(info.Playable());
  EXPECT_EQ(info.Kind(), OggStreamKind::Vorbis);
  const std::optional<VORBISFORMAT> format = VorbisFormatOf(info.MediaType());
  ASSERT_TRUE(format);
  EXPECT_EQ(format->nChannels, 2u);
  EXPECT_EQ(format->nSamplesPerSec, 32000);
  EXPECT_GT(format->nAvgBitsPerSec, 0);
  EXPECT_EQ(info.VorbisHeaders()[2], headers[2]);
  EXPECT_EQ(info.Comments().Query("LANGUAGE"), "dutch");
  EXPECT_EQ(info.BufferBytes(), 8192u);
  EXPECT_EQ(info.QueueHighMark(), 32u);
  EXPECT_EQ(info.QueueLowMark(), 16u);
  EXPECT_EQ(info.TimeFromGranule(32000), kUnitsPerSecond);
  EXPECT_EQ(info.TimeFromGranule(1), 313);  // rounded to nearest
}

TEST(OggStreamInfoTest, StreamsMissingHeadersOrOfOtherKindsCannotPlay) {
  std::vector<std::vector<uint8_t>> headers = VorbisHeaders(1, 44100);
  std::vector<uint8_t> audio = {0, 1, 2};
  OggStreamInfo noBooks;
  noBooks.AddPacket(PacketOf(headers[0], 0));
  noBooks.AddPacket(PacketOf(headers[1], 1));
  noBooks.AddPacket(PacketOf(audio, 2));
  EXPECT_TRUE(noBooks.HeadersComplete());
  EXPECT_FALSE(noBooks.Playable());

  OggStreamInfo brokenBooks;
  std::vector<uint8_t> books = headers[2];
  books.resize(books.size() / 2);
  brokenBooks.AddPacket(PacketOf(headers[0], 0));
  brokenBooks.AddPacket(PacketOf(headers[1], 1));
  brokenBooks.AddPacket(PacketOf(books, 2));
  EXPECT_FALSE(brokenBooks.Playable());

  std::vector<uint8_t> opus = {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 2};
  OggStreamInfo other;
  other.AddPacket(PacketOf(opus, 0));
  other.AddPacket(PacketOf(audio, 1));
  EXPECT_FALSE(other.Playable());
  EXPECT_EQ(other.Kind(), OggStreamKind::Unrecognised);
  EXPECT_EQ(other.TimeFromGranule(1000), -1);

  std::vector<uint8_t> wrongFirst = {1, 'n', 'o', 't', 'h', 'i', 'n', 'g'};
  OggStreamInfo unknown;
  unknown.AddPacket(PacketOf(wrongFirst, 0));
  EXPECT_EQ(unknown.Kind(), OggStreamKind::Unrecognised);
}

TEST(OggStreamInfoTest, GenericStreamsTakeTheirMarksFromTheBufferSize) {
  auto infoFor = [](const OggStreamHeader& header) {
    auto info = std::make_unique<OggStreamInfo>();
    std::vector<uint8_t> packet = EncodeStreamHeaderPacket(header);
    info->AddPacket(PacketOf(packet, 0));
    return info;
  };
  const auto audio = infoFor(*MakeAudioStreamHeader(PcmType(44100, 2, 16), 16384));
  EXPECT_TRUE(audio->Playable());
  EXPECT_EQ(audio->BufferBytes(), 16384u);
  EXPECT_EQ(audio->QueueHighMark(), 20u);
  EXPECT_EQ(audio->QueueLowMark(), 20u);
  EXPECT_EQ(audio->TimeFromGranule(44100), kUnitsPerSecond);

  const auto tiny = infoFor(*MakeAudioStreamHeader(PcmType(8000, 1, 8), 100));
  EXPECT_EQ(tiny->QueueHighMark(), 1u);
  EXPECT_EQ(tiny->QueueLowMark(), 1u);

  const auto text = infoFor(MakeTextStreamHeader());
  EXPECT_EQ(text->BufferBytes(), 1024u);
  EXPECT_EQ(text->QueueHighMark(), 0u);
  EXPECT_EQ(text->QueueLowMark(), 20u);
  EXPECT_EQ(text->TimeFromGranule(5), 50000);
}

std::vector<OggPacketPosition> Page(std::initializer_list<int64_t> sizes, int64_t firstNumber, int64_t pageGranule) {
  std::vector<OggPacketPosition> packets;
  for (int64_t size : sizes) packets.push_back({-1, firstNumber++, size, std::nullopt});
  packets.back().pageGranule = pageGranule;
  return packets;
}

TEST(OggGranuleTrackerTest, VorbisPacketsCountOnFromTheHeadersAndBackFromThePage) {
  OggGranuleTracker tracker(true);
  tracker.StartAtZero(2);
  std::vector<OggPacketPosition> first = Page({256, 2048, 2048}, 3, 1600);
  tracker.AssignPage(first);
  EXPECT_EQ(first[0].granule, 0);
  EXPECT_EQ(first[1].granule, 576);
  EXPECT_EQ(first[2].granule, 1600);
  std::vector<OggPacketPosition> second = Page({2048, 256}, 6, 3000);
  tracker.AssignPage(second);
  EXPECT_EQ(second[0].granule, 2624);

  tracker.Forget();
  std::vector<OggPacketPosition> afterSeek = Page({2048, 2048, 256}, 40, 10000);
  tracker.AssignPage(afterSeek);
  EXPECT_EQ(afterSeek[2].granule, 10000);
  EXPECT_EQ(afterSeek[1].granule, 9424);
  EXPECT_EQ(afterSeek[0].granule, 8400);

  tracker.Forget();
  std::vector<OggPacketPosition> holed = Page({2048, 2048}, 80, 20000);
  holed[1].packetNumber = 82;  // a packet was lost between them
  tracker.AssignPage(holed);
  EXPECT_FALSE(holed[0].granule);
  EXPECT_EQ(holed[1].granule, 20000);

  tracker.Forget();
  std::vector<OggPacketPosition> unknownSize = Page({-1, 2048}, 90, 30000);
  tracker.AssignPage(unknownSize);
  EXPECT_FALSE(unknownSize[0].granule);
}

TEST(OggGranuleTrackerTest, GenericPacketsFollowTheirDurations) {
  OggGranuleTracker tracker(false);
  tracker.StartAtZero(1);
  std::vector<OggPacketPosition> first = Page({10, 20, 5}, 2, 30);
  tracker.AssignPage(first);
  EXPECT_EQ(first[0].granule, 0);
  EXPECT_EQ(first[1].granule, 10);
  EXPECT_EQ(first[2].granule, 30);

  tracker.Forget();
  std::vector<OggPacketPosition> afterSeek = Page({10, 20, 5}, 50, 530);
  tracker.AssignPage(afterSeek);
  EXPECT_EQ(afterSeek[1].granule, 510);
  EXPECT_EQ(afterSeek[0].granule, 500);
}

}  // namespace
