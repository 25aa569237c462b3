#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/OggVorbisFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Identification(uint8_t channels, uint32_t rateHz) {
  Bytes packet(30, 0);
  packet[0] = 1;
  std::memcpy(&packet[1], "vorbis", 6);
  packet[11] = channels;
  for (int i = 0; i < 4; ++i) packet[12 + i] = static_cast<uint8_t>(rateHz >> (8 * i));
  packet[29] = 1;
  return packet;
}

// Pages of one stream: the given first packet alone on page 0, then one page per audio packet
// of 1000 frames each.
class StreamWriter {
 public:
  explicit StreamWriter(int serial) { ogg_stream_init(&m_stream, serial); }
  ~StreamWriter() { ogg_stream_clear(&m_stream); }

  std::vector<Bytes> Pages(const Bytes& first, int audioPackets, bool endStream) {
    std::vector<Bytes> pages;
    Put(first, 0, true, audioPackets == 0 && endStream);
    Flush(&pages);
    for (int i = 1; i <= audioPackets; ++i) {
      Put(Bytes(50, static_cast<uint8_t>(i)), i * 1000, false, endStream && i == audioPackets);
      Flush(&pages);
    }
    return pages;
  }

 private:
  void Put(Bytes bytes, int64_t granule, bool first, bool last) {
    ogg_packet packet{};
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = first;
    packet.e_o_s = last;
    packet.granulepos = granule;
    packet.packetno = m_number++;
    ogg_stream_packetin(&m_stream, &packet);
  }
  void Flush(std::vector<Bytes>* pages) {
    ogg_page page;
    while (ogg_stream_flush(&m_stream, &page)) {
      Bytes bytes(page.header, page.header + page.header_len);
      bytes.insert(bytes.end(), page.body, page.body + page.body_len);
      pages->push_back(std::move(bytes));
    }
  }

  ogg_stream_state m_stream;
  int64_t m_number = 0;
};

Bytes Join(const std::vector<Bytes>& pages) {
  Bytes all;
  for (const Bytes& page : pages) all.insert(all.end(), page.begin(), page.end());
  return all;
}

HRESULT Read(Bytes bytes, OggVorbisFileSummary* summary, std::string* problem = nullptr) {
  if (bytes.empty()) bytes.reserve(1);
  std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
  const HRESULT hr = ReadOggVorbisFile(file, "rec.ogg", summary);
  std::fclose(file);
  if (problem) *problem = GetErrorInfo();
  return hr;
}

std::string Problem(const Bytes& bytes) {
  OggVorbisFileSummary summary;
  std::string problem;
  EXPECT_EQ(Read(bytes, &summary, &problem), VFW_E_INVALID_FILE_FORMAT);
  return problem;
}

TEST(OggVorbisFileTest, SummarisesTheVorbisStreamAndSkipsOthers) {
  std::vector<Bytes> vorbis = StreamWriter(0).Pages(Identification(2, 44100), 3, true);
  const std::vector<Bytes> other = StreamWriter(7).Pages(Bytes(20, 9), 2, true);
  vorbis.insert(vorbis.begin() + 2, other.begin(), other.end());
  OggVorbisFileSummary summary;
  ASSERT_EQ(Read(Join(vorbis), &summary), S_OK);
  EXPECT_EQ(summary.serial, 0u);
  EXPECT_EQ(summary.channels, 2);
  EXPECT_EQ(summary.rateHz, 44100u);
  EXPECT_EQ(summary.pages, 4u);
  EXPECT_EQ(summary.lastGranule, 3000);
  EXPECT_DOUBLE_EQ(summary.Seconds(), 3000.0 / 44100);
}

TEST(OggVorbisFileTest, DamagedOrIncompleteFilesAreNamedByTheirFault) {
  const std::vector<Bytes> pages = StreamWriter(0).Pages(Identification(1, 8000), 3, true);
  const Bytes good = Join(pages);

  EXPECT_NE(Problem(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}).find("does not start with an Ogg page"), std::string::npos);
  EXPECT_NE(Problem({}).find("holds no Ogg pages"), std::string::npos);

  Bytes cut = good;
  cut.resize(cut.size() - 10);
  EXPECT_NE(Problem(cut).find("last page is cut off"), std::string::npos);

  Bytes flipped = good;
  const size_t secondPage = pages[0].size();
  flipped[secondPage + pages[1].size() - 1] ^= 0x55;
  EXPECT_NE(Problem(flipped).find("page at byte " + std::to_string(secondPage) + " is damaged"), std::string::npos);

  EXPECT_NE(Problem(Join(StreamWriter(0).Pages(Identification(1, 8000), 3, false))).find("does not end"),
            std::string::npos);

  std::vector<Bytes> gap = pages;
  gap.erase(gap.begin() + 2);
  EXPECT_NE(Problem(Join(gap)).find("numbered 3 instead of 2"), std::string::npos);

  Bytes notVorbis = Identification(1, 8000);
  notVorbis[0] = 3;
  EXPECT_NE(Problem(Join(StreamWriter(0).Pages(notVorbis, 1, true))).find("no Vorbis identification header"),
            std::string::npos);
  EXPECT_NE(Problem(Join(StreamWriter(0).Pages(Identification(0, 8000), 1, true))).find("identification"),
            std::string::npos)
      << "no channels";
}

}  // namespace
