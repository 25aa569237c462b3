// Recordings cut off at an arbitrary byte, as a crash or a full disk leaves them, made playable
// again; the results are read by tools we did not write.

#include <gtest/gtest.h>

#include "engine/EngineTestEnvironment.h"
#include "engine/GraphHelpers.h"
#include "engine/Messages.h"
#include "engine/Recorder.h"
#include "engine/RecordingRepair.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/media/WaveFormat.h"
#include "platform/ui/MessageLoop.h"
#include "settings/ExportFormat.h"
#include "support/Process.h"

namespace {

constexpr uint32_t kRateHz = 44100;
constexpr double kInputSeconds = 4;

struct RepairCase {
  const char* name;
  int format;
  uint16_t compressorTag;  // a WAV compressor's format tag; 0 for none
  bool wavWrapped;         // the recording starts with a WAV header
};

const RepairCase kCases[] = {
    {"Wav", kFormatWav, 0, true},  {"ImaAdpcmWav", kFormatWav, WAVE_FORMAT_IMA_ADPCM, true},
    {"Mp3", kFormatMp3, 0, true},  {"Ogg", kFormatOgg, 0, false},
    {"Wma", kFormatWma, 0, false},
};

// The tool's complaints: empty when it read the file without one.
std::string Complaints(const std::vector<std::string>& argv) {
  const ProcessResult result = RunProcess(argv);
  std::string complaints = result.exitCode == 0 ? "" : "exit " + std::to_string(result.exitCode) + "\n";
  complaints += result.err;
  if (result.out.find("WARNING") != std::string::npos || result.out.find("ERROR") != std::string::npos)
    complaints += result.out;
  return complaints;
}

class RepairFixture : public ::testing::Test {
 protected:
  // What the recorder graph writes for `format`, whole, from kInputSeconds of input.
  std::vector<uint8_t> Record(const RepairCase& which) {
    m_env.UseInputFile("in.wav", kRateHz, 2, static_cast<uint32_t>(kRateHz * kInputSeconds));
    if (which.compressorTag != 0) {
      const auto& compressors = AvailableAudioCompressors();
      for (size_t i = 0; i < compressors.size(); ++i)
        if (compressors[i]->formatTag == which.compressorTag)
          m_env.Settings().SetWavConfiguration(WavConfiguration{static_cast<int32_t>(i), 0});
    }
    const std::string path = m_env.Path("whole.audio");
    Recorder recorder(m_env.Settings());
    recorder.SetFile(path, &m_loop, WM_RECORDER_GRAPH_EVENT);
    recorder.SetExportFormat(which.format);
    EXPECT_EQ(recorder.Build(), S_OK) << GetErrorInfo();
    EXPECT_TRUE(SUCCEEDED(recorder.Run())) << GetErrorInfo();
    EXPECT_TRUE(WaitForCompletion(recorder));
    recorder.Stop();
    recorder.TearDown();
    return ScratchFolder::Read(path);
  }

  bool WaitForCompletion(Recorder& recorder) {
    MSG message;
    while (m_loop.GetMessage(message, std::chrono::seconds(20))) {
      const GraphOutcome outcome = TakeGraphEvents(recorder.Graph());
      if (outcome != GraphOutcome::Running) return outcome == GraphOutcome::Completed;
    }
    return false;
  }

  // The WAV header's sizes as a writer leaves them before its stop: unknown.
  static void MakeSizesProvisional(std::vector<uint8_t>& bytes) {
    const uint32_t formatBytes = GetLe32(bytes.data() + 16);
    PutLe32(bytes.data() + 4, 0xFFFFFFFF);
    PutLe32(bytes.data() + 20 + formatBytes + 4, 0xFFFFFFFF);
  }

  EngineTestEnvironment m_env;
  MessageLoop m_loop;
};

class RecordingRepair : public RepairFixture, public ::testing::WithParamInterface<RepairCase> {};

TEST_P(RecordingRepair, ACutOffRecordingPlaysWithWhatReachedTheFile) {
  const RepairCase which = GetParam();
  std::vector<uint8_t> bytes = Record(which);
  ASSERT_GT(bytes.size(), 4096u);
  if (which.wavWrapped) MakeSizesProvisional(bytes);
  // An odd length, inside a block, a frame or a page.
  bytes.resize(bytes.size() * 6 / 10 + 3);
  const std::string cut = m_env.Path("corvox_temp.audio");
  ScratchFolder::Write(cut, bytes);

  RepairedRecording repaired;
  std::string problem;
  ASSERT_TRUE(RepairRecording(cut, which.format, &repaired, &problem)) << problem;
  const bool inPlace = which.format == kFormatWav || which.format == kFormatOgg;
  EXPECT_EQ(repaired.file, inPlace ? cut : cut + (which.format == kFormatMp3 ? ".mp3" : ".wma"));
  // About six tenths of the audio: headers (Vorbis's code books above all) and the index vary it.
  EXPECT_GT(repaired.seconds, kInputSeconds * 0.25);
  EXPECT_LT(repaired.seconds, kInputSeconds * 0.7);
  if (which.format == kFormatWav && which.compressorTag == 0) {
    const size_t header = 46, frameBytes = 4;
    EXPECT_EQ(ScratchFolder::Read(cut).size(), header + (bytes.size() - header) / frameBytes * frameBytes);
  }

  EXPECT_EQ(Complaints({"ffmpeg", "-nostdin", "-v", "error", "-i", repaired.file, "-f", "null", "-"}), "");
  if (which.format == kFormatWav) { EXPECT_EQ(Complaints({"sox", repaired.file, "-n"}), ""); }
  if (which.format == kFormatOgg) { EXPECT_EQ(Complaints({"ogginfo", repaired.file}), ""); }
  if (which.format == kFormatMp3) { EXPECT_EQ(Complaints({"mpg123", "-q", "-t", repaired.file}), ""); }

  if (inPlace) {
    // A second repair (a recovery interrupted and run again) changes nothing.
    const std::vector<uint8_t> once = ScratchFolder::Read(cut);
    ASSERT_TRUE(RepairRecording(cut, which.format, &repaired, &problem)) << problem;
    EXPECT_EQ(ScratchFolder::Read(cut), once);
  } else {
    EXPECT_EQ(ScratchFolder::Read(cut), bytes) << "the recording itself is left as it was";
  }
}

INSTANTIATE_TEST_SUITE_P(EachFormat, RecordingRepair, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepairFixture, AWavRecordingCutAfterItsHeaderIsEmptyButValid) {
  std::vector<uint8_t> bytes = Record(kCases[0]);
  MakeSizesProvisional(bytes);
  bytes.resize(46 + 3);  // less than one block of audio
  const std::string cut = m_env.Path("cut.audio");
  ScratchFolder::Write(cut, bytes);
  RepairedRecording repaired;
  std::string problem;
  ASSERT_TRUE(RepairRecording(cut, kFormatWav, &repaired, &problem)) << problem;
  EXPECT_EQ(repaired.seconds, 0);
  EXPECT_EQ(ScratchFolder::Read(cut).size(), 46u);
}

TEST_F(RepairFixture, WhatCannotBeMadePlayableIsLeftAlone) {
  const std::string cut = m_env.Path("cut.audio");
  RepairedRecording repaired;
  std::string problem;
  // A header never written, as an old writer left it.
  const std::vector<uint8_t> zeros(46 + 4000, 0);
  for (const int format : {kFormatWav, kFormatMp3, kFormatOgg, kFormatWma}) {
    ScratchFolder::Write(cut, zeros);
    EXPECT_FALSE(RepairRecording(cut, format, &repaired, &problem)) << format;
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(ScratchFolder::Read(cut), zeros) << format;
  }
  EXPECT_TRUE(ScratchFolder::Read(m_env.Path("cut.audio.mp3")).empty()) << "no half-made file is left";
  EXPECT_TRUE(ScratchFolder::Read(m_env.Path("cut.audio.wma")).empty());

  // Cut inside the Ogg stream's first page: no packet is whole.
  std::vector<uint8_t> ogg = Record(kCases[3]);
  ogg.resize(40);
  ScratchFolder::Write(cut, ogg);
  EXPECT_FALSE(RepairRecording(cut, kFormatOgg, &repaired, &problem));
  EXPECT_EQ(ScratchFolder::Read(cut), ogg);
}

}  // namespace
