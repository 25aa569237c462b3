#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "filters/WavMpegExtractor.h"
#include "platform/media/WaveFormat.h"
#include "support/MessageBoxCapture.h"
#include "support/ScratchFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }
void AppendText(Bytes& to, const char* text) { to.insert(to.end(), text, text + std::strlen(text)); }
void AppendLe32(Bytes& to, uint32_t value) {
  uint8_t le[4];
  PutLe32(le, value);
  to.insert(to.end(), le, le + 4);
}

Bytes Filler(size_t count, uint8_t first = 0x10) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i % 64);
  return bytes;
}

// "RIFF" size "WAVE" "fmt " F, then a format block of F bytes with `tag`.
Bytes WaveLead(uint16_t tag, size_t formatBytes) {
  WAVEFORMATEX format;
  format.wFormatTag = tag;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  Bytes block = EncodeWaveFormat(format, Filler(formatBytes - kWaveFormatExBytes, 0x80));
  Bytes file;
  AppendText(file, "RIFF");
  AppendLe32(file, 0);
  AppendText(file, "WAVEfmt ");
  AppendLe32(file, static_cast<uint32_t>(block.size()));
  Append(file, block);
  return file;
}

Bytes DataChunk(const Bytes& payload) {
  Bytes chunk;
  AppendText(chunk, "data");
  AppendLe32(chunk, static_cast<uint32_t>(payload.size()));
  Append(chunk, payload);
  return chunk;
}

Bytes Concat(Bytes a, const Bytes& b) {
  Append(a, b);
  return a;
}

Bytes From(const Bytes& bytes, size_t offset) { return Bytes(bytes.begin() + static_cast<long>(offset), bytes.end()); }

struct ExtractionCase {
  const char* name;
  Bytes source;
  bool copies;
  Bytes expected;  // the destination afterwards
};

std::vector<ExtractionCase> ExtractionCases() {
  const Bytes payload = Filler(700);
  const Bytes layer3 = Concat(WaveLead(WAVE_FORMAT_MPEGLAYER3, 30), DataChunk(payload));
  const Bytes mpeg40 = Concat(WaveLead(WAVE_FORMAT_MPEG, 40), DataChunk(payload));

  Bytes trailing = layer3;
  PutLe32(trailing.data() + 54, 3);  // a size field that lies: it is not used
  AppendText(trailing, "LIST");
  AppendLe32(trailing, 2);
  AppendText(trailing, "ab");

  // The search is bytewise, so a "data" among the format's extra bytes wins over the chunk.
  Bytes tagInFormat = layer3;
  std::memcpy(tagInFormat.data() + 40, "data", 4);

  // The tag straddles the search's first two 16000-byte reads; the payload takes three copies.
  Bytes acrossBlocks = WaveLead(WAVE_FORMAT_MPEGLAYER3, 18);
  Append(acrossBlocks, Bytes(16006 - acrossBlocks.size(), 'x'));
  const Bytes longPayload = Filler(40000);
  Append(acrossBlocks, DataChunk(longPayload));

  Bytes notRiff = layer3, notWave = layer3, noFmt = layer3;
  std::memcpy(notRiff.data(), "RIFX", 4);
  std::memcpy(notWave.data() + 8, "AVI ", 4);
  std::memcpy(noFmt.data() + 12, "LIST", 4);
  Bytes tagAtEnd = WaveLead(WAVE_FORMAT_MPEGLAYER3, 30);
  AppendText(tagAtEnd, "data");
  Bytes sizeCutOff = tagAtEnd;
  sizeCutOff.insert(sizeCutOff.end(), {0x10, 0x00});

  return {
      {"Layer3Tag", layer3, true, payload},
      {"MpegTagFortyByteRecordCopiesFrom68", mpeg40, true, From(mpeg40, 68)},
      {"BytesAfterTheChunkAreCopied", trailing, true, From(trailing, 58)},
      {"FirstDataTagWins", tagInFormat, true, From(tagInFormat, 48)},
      {"EmptyDataChunk", Concat(WaveLead(WAVE_FORMAT_MPEG, 40), DataChunk({})), true, {}},
      {"TagAcrossReadBlocks", acrossBlocks, true, longPayload},
      {"PcmTagFails", Concat(WaveLead(WAVE_FORMAT_PCM, 18), DataChunk(payload)), false, {}},
      {"NotRiffFails", notRiff, false, {}},
      {"NotWaveFails", notWave, false, {}},
      {"NoFmtChunkFails", noFmt, false, {}},
      {"NoDataTagFails", Concat(WaveLead(WAVE_FORMAT_MPEGLAYER3, 30), payload), false, {}},
      {"DataTagInLastFourBytesFails", tagAtEnd, false, {}},
      {"DataSizeFieldCutOffFails", sizeCutOff, false, {}},
      {"TruncatedHeaderFails", Bytes(layer3.begin(), layer3.begin() + 21), false, {}},
      {"EmptyFileFails", {}, false, {}},
  };
}

void PrintTo(const ExtractionCase& c, std::ostream* os) { *os << c.name; }

class WavMpegExtractorCases : public ::testing::TestWithParam<ExtractionCase> {};

TEST_P(WavMpegExtractorCases, CopiesThePayloadOrLeavesAnEmptyDestination) {
  ScratchFolder folder;
  const std::string source = folder.File("corvox_temp.audio"), destination = folder.File("take.mp3");
  ScratchFolder::Write(source, GetParam().source);
  ScratchFolder::Write(destination, Bytes(100, 0xEE));  // an earlier file is truncated
  MessageBoxCapture boxes;

  EXPECT_EQ(CWavMpegExtractor(source, destination).Extract(), GetParam().copies);

  struct stat info;
  ASSERT_EQ(::stat(destination.c_str(), &info), 0);
  EXPECT_EQ(ScratchFolder::Read(destination), GetParam().expected);
  EXPECT_TRUE(boxes.Boxes().empty()) << "a file that is not an MPEG wrapper fails quietly";
}

INSTANTIATE_TEST_SUITE_P(WavMpegExtractor, WavMpegExtractorCases, ::testing::ValuesIn(ExtractionCases()),
                         [](const auto& info) { return std::string(info.param.name); });

class WavMpegExtractorFileErrors : public ::testing::Test {
 protected:
  // Expects one error box naming `path` with the system's text for `err`.
  void ExpectOneErrorBox(const std::string& path, int err) {
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].flags, MB_ICONERROR);
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(std::strerror(err)), std::string::npos) << text;
  }

  ScratchFolder folder;
  MessageBoxCapture boxes;
  const Bytes wrapper = Concat(WaveLead(WAVE_FORMAT_MPEGLAYER3, 30), DataChunk(Filler(50)));
};

TEST_F(WavMpegExtractorFileErrors, MissingSourceIsReportedAndNothingIsCreated) {
  const std::string source = folder.File("missing.audio"), destination = folder.File("take.mp3");
  EXPECT_FALSE(CWavMpegExtractor(source, destination).Extract());
  ExpectOneErrorBox(source, ENOENT);
  EXPECT_NE(::access(destination.c_str(), F_OK), 0);
}

TEST_F(WavMpegExtractorFileErrors, UncreatableDestinationIsReported) {
  const std::string source = folder.File("corvox_temp.audio"), destination = folder.File("no/such/take.mp3");
  ScratchFolder::Write(source, wrapper);
  EXPECT_FALSE(CWavMpegExtractor(source, destination).Extract());
  ExpectOneErrorBox(destination, ENOENT);
}

TEST_F(WavMpegExtractorFileErrors, UnreadableSourceIsReported) {
  const std::string destination = folder.File("take.mp3");
  EXPECT_FALSE(CWavMpegExtractor(folder.Path(), destination).Extract());
  ExpectOneErrorBox(folder.Path(), EISDIR);
}

TEST_F(WavMpegExtractorFileErrors, FullDiskIsReported) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  const std::string source = folder.File("corvox_temp.audio");
  ScratchFolder::Write(source, wrapper);
  EXPECT_FALSE(CWavMpegExtractor(source, "/dev/full").Extract());
  ExpectOneErrorBox("/dev/full", ENOSPC);
}

}  // namespace
