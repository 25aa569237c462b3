// What the multiplexer writes: page layout, packet framing, order across streams, the end of
// the file, and the waits between streams.

#include <gtest/gtest.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <tuple>
#include <vector>

#include "filters/OggGenericStream.h"
#include "filters/OggMux.h"
#include "filters/OggMuxInputPin.h"
#include "filters/OggMuxRig.h"
#include "filters/OggTestReader.h"
#include "filters/TimeScale.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Packet(uint8_t first, size_t size, uint8_t fill) {
  std::vector<uint8_t> packet(size, fill);
  packet[0] = first;
  return packet;
}

REFERENCE_TIME TimeOfGranule(int64_t granule, int64_t rateHz) { return ScaleRounded(granule, kUnitsPerSecond, rateHz); }

std::vector<uint8_t> EmptyCommentPacket() {
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  ogg_packet packet;
  vorbis_commentheader_out(&comment, &packet);
  std::vector<uint8_t> bytes(packet.packet, packet.packet + packet.bytes);
  ogg_packet_clear(&packet);
  vorbis_comment_clear(&comment);
  return bytes;
}

int64_t Milliseconds(Clock::duration duration) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// Three header packets, then audio packets of 576 samples each, under 255 bytes, so that each
// packet is one lacing value and no page starts inside a packet.
struct VorbisStream {
  std::vector<std::vector<uint8_t>> packets;
  std::vector<int64_t> granules;  // -1 for headers

  explicit VorbisStream(int audioPackets) {
    packets = {Packet(0x01, 30, 'i'), Packet(0x03, 60, 'c'), Packet(0x05, 3000, 's')};
    granules = {-1, -1, -1};
    for (int k = 0; k < audioPackets; ++k) {
      packets.push_back(Packet(0x00, 150 + (7 * k) % 100, static_cast<uint8_t>(k)));
      granules.push_back(128 + 576 * static_cast<int64_t>(k));
    }
  }

  HRESULT SendTo(OggMuxRig& rig, int source, int64_t rateHz) const {
    for (size_t i = 0; i < packets.size(); ++i) {
      const REFERENCE_TIME start = granules[i] < 0 ? 0 : TimeOfGranule(granules[i], rateHz);
      const REFERENCE_TIME end = granules[i] < 0 ? 0 : TimeOfGranule(granules[i] + 576, rateHz);
      const HRESULT hr = rig.Send(source, packets[i], start, end);
      if (FAILED(hr)) return hr;
    }
    return rig.EndOfStream(source);
  }
};

class OggMuxStreamingTest : public ::testing::Test {
 protected:
  void Start(std::initializer_list<AM_MEDIA_TYPE> types) {
    for (const AM_MEDIA_TYPE& type : types) ASSERT_GE(rig.AddSource(type, 4096), 0);
    ASSERT_EQ(rig.ConnectOutput(), S_OK);
    ASSERT_EQ(rig.Run(), S_OK);
  }

  OggTestFile Read() {
    OggTestFile file = ReadOggTestFile(rig.FileBytes());
    EXPECT_EQ(file.unreadBytes, 0u);
    EXPECT_FALSE(file.packetsLost);
    return file;
  }

  OggMuxRig rig;
};

TEST_F(OggMuxStreamingTest, OneVorbisStreamIsSerialZeroWithItsHeadersAloneOnTheFirstPages) {
  Start({VorbisType(44100)});
  const VorbisStream stream(40);
  ASSERT_EQ(stream.SendTo(rig, 0, 44100), S_OK);
  EXPECT_TRUE(rig.Sink().AtEndOfStream());

  const OggTestFile file = Read();
  ASSERT_GE(file.pages.size(), 5u);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(file.pages[i].serial, 0);
    EXPECT_EQ(file.pages[i].pageNumber, static_cast<long>(i));
    EXPECT_EQ(file.pages[i].beginOfStream, i == 0);
    EXPECT_EQ(file.pages[i].granule, 0);
    ASSERT_EQ(file.pages[i].packets.size(), 1u);
    EXPECT_FALSE(file.pages[i].continued);
  }
  EXPECT_EQ(file.pages[0].packets[0].bytes, stream.packets[0]);
  EXPECT_EQ(file.pages[1].packets[0].bytes, EmptyCommentPacket());  // ours replaces the encoder's
  EXPECT_EQ(file.pages[2].packets[0].bytes, stream.packets[2]);
  EXPECT_FALSE(file.pages[3].continued);

  const std::vector<OggTestPacket>& packets = file.packets.at(0);
  ASSERT_EQ(packets.size(), stream.packets.size());
  for (size_t i = 3; i < packets.size(); ++i) EXPECT_EQ(packets[i].bytes, stream.packets[i]) << i;

  for (const OggTestPage& page : file.pages) {
    EXPECT_EQ(page.serial, 0);
    EXPECT_EQ(page.endOfStream, &page == &file.pages.back());
    if (!page.packets.empty()) {
      EXPECT_EQ(page.granule, page.packets.back().granule);
    }
  }
  for (size_t i = 3; i < packets.size(); ++i)
    if (packets[i].granule >= 0) {
      EXPECT_EQ(packets[i].granule, stream.granules[i]) << i;
    }
  EXPECT_TRUE(packets.back().endOfStream);
  EXPECT_EQ(file.pages.back().granule, stream.granules.back());
}

TEST_F(OggMuxStreamingTest, ALowBitrateStreamIsWrittenAtMostAQuarterSecondBehind) {
  Start({VorbisType(44100)});
  const VorbisStream headers(0);
  for (size_t i = 0; i < headers.packets.size(); ++i) ASSERT_EQ(rig.Send(0, headers.packets[i], 0, 0), S_OK);
  // 24-byte packets of 576 samples: libogg alone would fill a 4 KiB page for about 7 seconds.
  constexpr int64_t kPacketSamples = 576;
  const REFERENCE_TIME packetTime = TimeOfGranule(kPacketSamples, 44100);
  for (int64_t k = 0; k < 300; ++k) {
    const REFERENCE_TIME start = TimeOfGranule(k * kPacketSamples, 44100);
    ASSERT_EQ(rig.Send(0, Packet(0x00, 24, static_cast<uint8_t>(k)), start, start + packetTime), S_OK);
    const OggTestFile file = ReadOggTestFile(rig.FileBytes());
    const REFERENCE_TIME written = file.pages.size() > 3 ? TimeOfGranule(file.pages.back().granule, 44100) : 0;
    // The packet just sent is held for its end time, and the one before it may still wait for
    // its page; what came before is in the file.
    ASSERT_GE(written, start - COggMuxInputPin::kMaxPendingTime - 2 * packetTime) << k;
  }
  ASSERT_EQ(rig.EndOfStream(0), S_OK);
  const OggTestFile file = Read();
  EXPECT_EQ(file.packets.at(0).size(), 303u);
  // Pages are ended early, not packet by packet.
  EXPECT_LT(file.pages.size(), 3u + 300 / 10);
}

TEST_F(OggMuxStreamingTest, PagesGoOutBackToBackAsSyncPoints) {
  Start({VorbisType(48000)});
  ASSERT_EQ(VorbisStream(30).SendTo(rig, 0, 48000), S_OK);

  const std::vector<ReceivedSample> samples = rig.Sink().Samples();
  const OggTestFile file = Read();
  ASSERT_EQ(samples.size(), file.pages.size());
  REFERENCE_TIME position = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    ASSERT_TRUE(samples[i].times);
    EXPECT_EQ(samples[i].times->start, position);
    EXPECT_EQ(samples[i].times->end, position + static_cast<REFERENCE_TIME>(samples[i].bytes.size()));
    EXPECT_EQ(file.pages[i].bytes, samples[i].bytes.size());
    EXPECT_TRUE(samples[i].syncPoint);
    EXPECT_FALSE(samples[i].discontinuity);
    position = samples[i].times->end;
  }

  GUID bytes = TIME_FORMAT_BYTE;
  ASSERT_EQ(rig.Mux().SetTimeFormat(&bytes), S_OK);
  REFERENCE_TIME current = 0;
  ASSERT_EQ(rig.Mux().GetCurrentPosition(&current), S_OK);
  EXPECT_EQ(current, position);
}

TEST_F(OggMuxStreamingTest, PcmIsFramedAsAGenericStream) {
  const AM_MEDIA_TYPE pcm = PcmType(44100, 2, 16);
  Start({pcm});
  // 10 ms each (441 frames), stamped shorter than the gap to the next: the next start decides.
  const size_t sampleBytes = 441 * 4;
  for (int k = 0; k < 10; ++k) {
    const REFERENCE_TIME start = k * 100000;
    ASSERT_EQ(rig.Send(0, Packet(static_cast<uint8_t>(k), sampleBytes, 0x5A), start, start + 50000), S_OK);
  }
  ASSERT_EQ(rig.EndOfStream(0), S_OK);

  const OggTestFile file = Read();
  ASSERT_GE(file.pages.size(), 3u);
  ASSERT_EQ(file.pages[0].packets.size(), 1u);
  EXPECT_TRUE(file.pages[0].beginOfStream);
  EXPECT_EQ(file.pages[0].packets[0].bytes, EncodeStreamHeaderPacket(*MakeAudioStreamHeader(pcm, 4096)));
  ASSERT_EQ(file.pages[1].packets.size(), 1u);
  EXPECT_EQ(file.pages[1].packets[0].bytes, EmptyCommentPacket());
  EXPECT_TRUE(file.pages.back().endOfStream);

  const std::vector<OggTestPacket>& packets = file.packets.at(0);
  ASSERT_EQ(packets.size(), 12u);
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(k);
    const std::vector<uint8_t>& bytes = packets[2 + k].bytes;
    // 441 frames (two bytes) to the next start; the last keeps its own end: 4189.5 - 3969
    // rounds to 221 (one byte).
    const std::vector<uint8_t> prefix =
        k < 9 ? std::vector<uint8_t>{0x80, 0xB9, 0x01} : std::vector<uint8_t>{0x40, 221};
    ASSERT_EQ(bytes.size(), prefix.size() + sampleBytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + prefix.size()), prefix);
    EXPECT_EQ(bytes[prefix.size()], k);
    EXPECT_EQ(bytes.back(), 0x5A);
    if (packets[2 + k].granule >= 0) {
      EXPECT_EQ(packets[2 + k].granule, 441 * k);
    }
  }
  EXPECT_TRUE(packets.back().endOfStream);
  EXPECT_EQ(file.pages.back().granule, 441 * 9);
}

TEST_F(OggMuxStreamingTest, TextPacketsAreSyncPointsOnPagesOfTheirOwn) {
  Start({TextType()});
  const std::vector<uint8_t> line = {'h', 'i'};
  // Durations in units of 1 ms, up to the next start: 3000, then 1 (no duration bytes), then
  // the last sample's own: 0.
  ASSERT_EQ(rig.Send(0, line, 0, 20000000), S_OK);
  ASSERT_EQ(rig.Send(0, line, 30000000, 30010000), S_OK);
  ASSERT_EQ(rig.Send(0, line, 30010000, 30010000), S_OK);
  ASSERT_EQ(rig.EndOfStream(0), S_OK);

  const OggTestFile file = Read();
  ASSERT_EQ(file.pages.size(), 5u);
  for (size_t i = 2; i < 5; ++i) ASSERT_EQ(file.pages[i].packets.size(), 1u) << i;
  EXPECT_EQ(file.pages[2].packets[0].bytes, (std::vector<uint8_t>{0x88, 0xB8, 0x0B, 'h', 'i'}));
  EXPECT_EQ(file.pages[2].granule, 0);
  EXPECT_EQ(file.pages[3].packets[0].bytes, (std::vector<uint8_t>{0x08, 'h', 'i'}));
  EXPECT_EQ(file.pages[3].granule, 3000);
  EXPECT_EQ(file.pages[4].packets[0].bytes, (std::vector<uint8_t>{0x48, 0x00, 'h', 'i'}));
  EXPECT_EQ(file.pages[4].granule, 3001);
  EXPECT_TRUE(file.pages[4].endOfStream);
}

// The time a page sorts by, as the multiplexer gave it: header pages first, then the start of
// the first packet on it (text: one packet a page, granules in milliseconds).
REFERENCE_TIME TextPageTime(const OggTestPage& page) {
  return page.pageNumber < 2 ? page.pageNumber - 3 : page.granule * 10000;
}

TEST_F(OggMuxStreamingTest, TwoStreamsInterleaveByTimeAndTiesGoToTheLowerStream) {
  Start({TextType(), TextType()});
  // Stream 0 every 100 ms, stream 1 every 50 ms: every other page ties.
  const auto feed = [this](int source, REFERENCE_TIME step, int count) {
    for (int k = 0; k < count; ++k)
      EXPECT_EQ(rig.Send(source, std::vector<uint8_t>{uint8_t('a' + source)}, k * step, k * step + step), S_OK);
    EXPECT_EQ(rig.EndOfStream(source), S_OK);
  };
  const Clock::time_point began = Clock::now();
  std::thread second(feed, 1, 500000, 40);
  feed(0, 1000000, 20);
  second.join();
  EXPECT_LT(Milliseconds(Clock::now() - began), COggMuxInputPin::kWaitSliceMs);
  EXPECT_TRUE(rig.Sink().AtEndOfStream());

  const OggTestFile file = Read();
  ASSERT_EQ(file.pages.size(), 2u * 2 + 20 + 40);
  std::vector<std::tuple<REFERENCE_TIME, int>> order;
  for (const OggTestPage& page : file.pages) order.emplace_back(TextPageTime(page), page.serial);
  std::vector<std::tuple<REFERENCE_TIME, int>> expected = order;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(order, expected);
  EXPECT_EQ(file.pages[0].serial, 0);
  EXPECT_EQ(file.pages[1].serial, 1);
  EXPECT_TRUE(file.pages[0].beginOfStream && file.pages[1].beginOfStream);
}

TEST_F(OggMuxStreamingTest, APageSortsByTheStartOfItsFirstPacket) {
  Start({VorbisType(44100), TextType()});
  // A Vorbis page spans about twenty packets (a quarter second); text lines fall inside.
  const VorbisStream vorbis(60);
  std::thread audio([&] { EXPECT_EQ(vorbis.SendTo(rig, 0, 44100), S_OK); });
  for (int k = 0; k < 20; ++k) {
    EXPECT_EQ(rig.Send(1, std::vector<uint8_t>{'t'}, k * 500000, k * 500000 + 500000), S_OK);
  }
  EXPECT_EQ(rig.EndOfStream(1), S_OK);
  audio.join();
  ASSERT_TRUE(rig.Sink().AtEndOfStream());

  const OggTestFile file = Read();
  std::vector<std::tuple<REFERENCE_TIME, int>> order;
  int vorbisDataPages = 0;
  size_t vorbisPackets = 0;  // before this page
  for (const OggTestPage& page : file.pages) {
    if (page.serial == 1) {
      order.emplace_back(TextPageTime(page), 1);
      continue;
    }
    if (page.pageNumber < 3) {
      order.emplace_back(page.pageNumber - 3, 0);
    } else {
      ASSERT_FALSE(page.continued);
      ASSERT_FALSE(page.packets.empty());
      order.emplace_back(TimeOfGranule(vorbis.granules[vorbisPackets], 44100), 0);
      ++vorbisDataPages;
    }
    vorbisPackets += page.packets.size();
  }
  EXPECT_GE(vorbisDataPages, 2);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST_F(OggMuxStreamingTest, ASilentStreamHoldsTheOthersBackForOneWaitSliceAndEndsTheFileLast) {
  Start({TextType(), TextType()});
  const Clock::time_point began = Clock::now();
  for (int k = 0; k < 5; ++k) ASSERT_EQ(rig.Send(0, std::vector<uint8_t>{'x'}, k * 10000, k * 10000 + 10000), S_OK);
  ASSERT_EQ(rig.EndOfStream(0), S_OK);
  const int64_t blockedMs = Milliseconds(Clock::now() - began);
  EXPECT_GE(blockedMs, COggMuxInputPin::kWaitSliceMs - 50);
  EXPECT_LT(blockedMs, COggMuxInputPin::kWaitSliceMs + 1500);

  // Stream 1 has delivered nothing: nothing may be written yet, and the file is not finished.
  EXPECT_TRUE(rig.Sink().Samples().empty());
  EXPECT_FALSE(rig.Sink().AtEndOfStream());

  ASSERT_EQ(rig.Send(1, std::vector<uint8_t>{'y'}, 0, 10000), S_OK);
  EXPECT_FALSE(rig.Sink().AtEndOfStream());
  ASSERT_EQ(rig.EndOfStream(1), S_OK);
  EXPECT_TRUE(rig.Sink().AtEndOfStream());

  const OggTestFile file = Read();
  ASSERT_EQ(file.packets.at(0).size(), 2u + 5);
  ASSERT_EQ(file.packets.at(1).size(), 2u + 1);
  for (int serial : {0, 1}) {
    const auto last = std::find_if(file.pages.rbegin(), file.pages.rend(),
                                   [serial](const OggTestPage& page) { return page.serial == serial; });
    ASSERT_NE(last, file.pages.rend());
    EXPECT_TRUE(last->endOfStream) << serial;
  }
  std::vector<std::tuple<REFERENCE_TIME, int>> order;
  for (const OggTestPage& page : file.pages) order.emplace_back(TextPageTime(page), page.serial);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST_F(OggMuxStreamingTest, AStreamThatIsAheadWaitsAsLongAsTheOthersMakePages) {
  Start({TextType(), TextType()});
  // Stream 1 makes a page every 1.2 s of real time, all dated before stream 0's, and ends
  // after 3.6 s: stream 0 stays held back across two wait slices, until then.
  std::thread slow([this] {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(rig.Send(1, std::vector<uint8_t>{'s'}, k * kUnitsPerSecond, (k + 1) * kUnitsPerSecond), S_OK);
      std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    }
    EXPECT_EQ(rig.EndOfStream(1), S_OK);
  });
  ASSERT_EQ(rig.Send(0, std::vector<uint8_t>{'f'}, 10 * kUnitsPerSecond, 11 * kUnitsPerSecond), S_OK);
  const Clock::time_point began = Clock::now();
  ASSERT_EQ(rig.Send(0, std::vector<uint8_t>{'f'}, 20 * kUnitsPerSecond, 21 * kUnitsPerSecond), S_OK);
  const int64_t blockedMs = Milliseconds(Clock::now() - began);
  slow.join();
  EXPECT_GE(blockedMs, 3300);
  EXPECT_LT(blockedMs, 3600 + 1500);

  ASSERT_EQ(rig.EndOfStream(0), S_OK);
  ASSERT_TRUE(rig.Sink().AtEndOfStream());
  const OggTestFile file = Read();
  std::vector<std::tuple<REFERENCE_TIME, int>> order;
  for (const OggTestPage& page : file.pages) order.emplace_back(TextPageTime(page), page.serial);
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST_F(OggMuxStreamingTest, WithNoInputConnectedTheFileEndsAtOnce) {
  Start({});
  EXPECT_TRUE(rig.Sink().AtEndOfStream());
  EXPECT_TRUE(rig.FileBytes().empty());
}

TEST_F(OggMuxStreamingTest, ADownstreamFailureReachesTheSender) {
  Start({VorbisType(44100)});
  rig.Sink().ReplyToNext(E_FAIL);
  ASSERT_EQ(rig.Send(0, Packet(0x01, 30, 'i'), 0, 0), S_OK);  // held back
  EXPECT_EQ(rig.Send(0, Packet(0x03, 30, 'c'), 0, 0), E_FAIL);
}

TEST_F(OggMuxStreamingTest, EachRunWritesAWholeFileFromTheStart) {
  Start({VorbisType(44100)});
  ASSERT_EQ(VorbisStream(5).SendTo(rig, 0, 44100), S_OK);
  const size_t firstRun = rig.Sink().Samples().size();
  ASSERT_EQ(rig.Stop(), S_OK);

  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(VorbisStream(5).SendTo(rig, 0, 44100), S_OK);
  const std::vector<ReceivedSample> samples = rig.Sink().Samples();
  ASSERT_EQ(samples.size(), 2 * firstRun);
  ASSERT_TRUE(samples[firstRun].times);
  EXPECT_EQ(samples[firstRun].times->start, 0);
  const OggTestFile file = Read();
  EXPECT_EQ(file.pages.size(), firstRun);
  EXPECT_TRUE(file.pages.front().beginOfStream);
  EXPECT_TRUE(file.pages.back().endOfStream);
}

}  // namespace
