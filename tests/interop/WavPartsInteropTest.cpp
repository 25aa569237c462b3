// WAV-family recordings past the part limit (lowered through CORVOX_WAV_PART_LIMIT) continue
// in numbered files that tools we did not write read cleanly, and that together hold the
// recording without a gap or a repeat; a WAV recording killed before stop opens as it is.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

#include "RecordInterop.h"

namespace {

struct WavPayload {
  uint16_t blockAlign = 0;
  std::vector<char> bytes;
};

uint32_t Le32(const std::vector<char>& file, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, file.data() + at, 4);
  return value;
}

// The format's block alignment and the data chunk's bytes, found by walking the chunks.
WavPayload ReadPayload(const fs::path& path) {
  const std::vector<char> file = ReadFile(path);
  WavPayload payload;
  for (size_t at = 12; at + 8 <= file.size();) {
    const uint32_t size = Le32(file, at + 4);
    if (std::memcmp(file.data() + at, "fmt ", 4) == 0 && at + 22 <= file.size())
      std::memcpy(&payload.blockAlign, file.data() + at + 20, 2);
    if (std::memcmp(file.data() + at, "data", 4) == 0) {
      payload.bytes.assign(file.begin() + static_cast<long>(at + 8),
                           file.begin() + static_cast<long>(std::min<size_t>(file.size(), at + 8 + size)));
      break;
    }
    at += 8 + size + (size & 1);
  }
  return payload;
}

std::vector<fs::path> Lines(const std::string& text) {
  std::vector<fs::path> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.emplace_back(line);
  return lines;
}

class WavPartsInterop : public RecordInterop {
 protected:
  void Set(std::vector<std::string> fields) {
    fields.insert(fields.begin(), {"settings", "set"});
    const ProcessResult set = Corvox(fields);
    ASSERT_EQ(set.exitCode, 0) << set.err;
  }

  // Records to `name` in `format` with the part limit at `limitBytes` (0: none); the files
  // corvox names, which must be `name` and then its numbered names.
  std::vector<fs::path> Record(const std::string& format, const std::string& name, int limitBytes) {
    if (limitBytes > 0) m_env["CORVOX_WAV_PART_LIMIT"] = std::to_string(limitBytes);
    const ProcessResult run = Corvox({"record", "--format", format, "--output", (m_dir / name).string()});
    m_env.erase("CORVOX_WAV_PART_LIMIT");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<fs::path> files = Lines(run.out);
    const fs::path first = m_dir / name;
    for (size_t i = 0; i < files.size(); ++i) {
      char number[24];
      std::snprintf(number, sizeof number, "%03zu", i + 1);
      const fs::path expected = i == 0 ? first : m_dir / (first.stem().string() + number + first.extension().string());
      EXPECT_EQ(files[i], expected);
    }
    if (files.size() > 1) {
      EXPECT_NE(run.err.find("continues in"), std::string::npos) << run.err;
    }
    return files;
  }

  // A WAV part: within the limit, read by sox and ffprobe without a word; its sample count.
  long CheckWavPart(const fs::path& part, int limitBytes) {
    EXPECT_LE(fs::file_size(part), static_cast<uintmax_t>(limitBytes)) << part;
    const ProcessResult probe = RunProcess({"ffprobe", "-v", "warning", "-show_entries", "stream=codec_name", "-of",
                                            "default=noprint_wrappers=1", part.string()});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.err, "") << "ffprobe warned about " << part;
    const ProcessResult decode = RunProcess({"ffmpeg", "-v", "error", "-i", part.string(), "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_EQ(decode.err, "") << "ffmpeg complained about " << part;
    return std::stol(SoxInfo("-s", part));
  }
};

TEST_F(WavPartsInterop, PcmPartsTogetherAreTheInputSampleForSample) {
  const fs::path input = MakeInput("in.wav", 44100, 2, 16, "4.3");
  constexpr int kLimit = 300000;
  const std::vector<fs::path> parts = Record("wav", "take.wav", kLimit);
  ASSERT_EQ(parts.size(), 3u);
  long samples = 0;
  std::vector<char> joined;
  for (const fs::path& part : parts) {
    samples += CheckWavPart(part, kLimit);
    const std::vector<char> payload = ReadPayload(part).bytes;
    joined.insert(joined.end(), payload.begin(), payload.end());
  }
  EXPECT_EQ(samples, 189630);
  EXPECT_TRUE(joined == ReadPayload(input).bytes) << "a sample lost or repeated at a seam";
}

TEST_F(WavPartsInterop, CompressedPartsHoldWholeBlocksAndTogetherTheWholeRecording) {
  MakeInput("in.wav", 44100, 2, 16, "4.3");
  Set({"WAV Configuration", "compressorIndex=0", "listPosition=0"});
  const std::vector<fs::path> whole = Record("wav", "whole.wav", 0);
  ASSERT_EQ(whole.size(), 1u);
  constexpr int kLimit = 100000;
  const std::vector<fs::path> parts = Record("wav", "take.wav", kLimit);
  ASSERT_GE(parts.size(), 2u);
  long samples = 0;
  std::vector<char> joined;
  for (const fs::path& part : parts) {
    samples += CheckWavPart(part, kLimit);
    const WavPayload payload = ReadPayload(part);
    ASSERT_GT(payload.blockAlign, 1);
    EXPECT_EQ(payload.bytes.size() % payload.blockAlign, 0u) << part << " ends within a block";
    joined.insert(joined.end(), payload.bytes.begin(), payload.bytes.end());
  }
  EXPECT_EQ(samples, std::stol(SoxInfo("-s", whole[0])));
  EXPECT_TRUE(joined == ReadPayload(whole[0]).bytes) << "the parts differ from the same recording in one file";
}

TEST_F(WavPartsInterop, Mp3PartsEachDecodeCleanlyAndTogetherAreTheWholeStream) {
  MakeInput("in.wav", 44100, 2, 16, "10");
  const std::vector<fs::path> whole = Record("mp3", "whole.mp3", 0);
  ASSERT_EQ(whole.size(), 1u);
  const std::vector<fs::path> parts = Record("mp3", "take.mp3", 64 * 1024);
  ASSERT_GE(parts.size(), 2u);
  std::vector<char> joined;
  for (const fs::path& part : parts) {
    const ProcessResult test = RunProcess({"mpg123", "-q", "-t", part.string()});
    EXPECT_EQ(test.exitCode, 0);
    EXPECT_EQ(test.err, "") << "mpg123 complained about " << part;
    const ProcessResult decode = RunProcess({"ffmpeg", "-v", "error", "-i", part.string(), "-f", "null", "-"});
    EXPECT_EQ(decode.err, "") << "ffmpeg complained about " << part;
    const std::vector<char> bytes = ReadFile(part);
    joined.insert(joined.end(), bytes.begin(), bytes.end());
  }
  EXPECT_TRUE(joined == ReadFile(whole[0])) << "frames lost, repeated or cut at a seam";
}

TEST_F(WavPartsInterop, AWavRecordingKilledBeforeStopOpensAsItIs) {
  MakeInput("in.wav", 44100, 2, 16, "6");
  m_env.erase("CORVOX_VIRTUAL_PACE");
  const ProcessResult run = RunProcess({CORVOX_BINARY, "record", "--format", "wav", "--output", (m_dir / "never.wav").string()},
                                       m_env, std::chrono::milliseconds(2500), SIGKILL);
  EXPECT_EQ(run.exitCode, -1) << "killed";
  const fs::path temporary = m_dir / "tmp" / ("corvox-" + std::to_string(geteuid())) / "corvox_temp.audio";
  ASSERT_TRUE(fs::exists(temporary));
  const uintmax_t audioBytes = fs::file_size(temporary) - 46;
  ASSERT_GE(audioBytes, 176400u) << "a second of audio at least";

  // Both tools read every byte of audio, each frame whole.
  const ProcessResult decode = RunProcess({"ffmpeg", "-v", "error", "-f", "wav", "-i", temporary.string(), "-f",
                                           "s16le", (m_dir / "ffmpeg.raw").string()});
  EXPECT_EQ(decode.exitCode, 0);
  EXPECT_EQ(decode.err, "") << "ffmpeg complained";
  EXPECT_EQ(fs::file_size(m_dir / "ffmpeg.raw"), audioBytes);
  const ProcessResult sox =
      RunProcess({"sox", "-t", "wav", temporary.string(), "-t", "raw", (m_dir / "sox.raw").string()});
  EXPECT_EQ(sox.exitCode, 0) << sox.err;
  EXPECT_EQ(fs::file_size(m_dir / "sox.raw"), audioBytes);
}

}  // namespace
