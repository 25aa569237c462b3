// Recordings through each WAV compressor, made by the recorder graph and read back by tools we
// did not write (sox, ffprobe).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/EngineTestEnvironment.h"
#include "engine/Messages.h"
#include "engine/Recorder.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/ui/MessageLoop.h"
#include "settings/ExportFormat.h"

namespace {

namespace fs = std::filesystem;

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line; the paths in it come from the test's own folder.
ToolResult RunTool(const std::string& command, const fs::path& errFile) {
  ToolResult result;
  FILE* pipe = popen((command + " 2>'" + errFile.string() + "'").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::vector<uint8_t> err = ScratchFolder::Read(errFile);
  result.err.assign(err.begin(), err.end());
  return result;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& pcm16) {
  std::vector<int16_t> samples;
  for (size_t i = 0; i + 1 < pcm16.size(); i += 2)
    samples.push_back(static_cast<int16_t>(pcm16[i] | (pcm16[i + 1] << 8)));
  return samples;
}

// Over the reference's length; missing decoded samples count as errors.
double SnrDb(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded) {
  double signal = 0, noise = 0;
  for (size_t i = 0; i < reference.size(); ++i) {
    const double error = reference[i] - (i < decoded.size() ? decoded[i] : 0);
    signal += static_cast<double>(reference[i]) * reference[i];
    noise += error * error;
  }
  return 10 * std::log10(signal / std::max(noise, 1.0));
}

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// What the tools call each format, what ffprobe says about a file of it, and how close its
// decoded audio must come to the input (a one-sample shift would fall well below).
struct Expectation {
  uint16_t tag;
  const char* soxEncoding;
  const char* ffprobeCodec;
  const char* ffprobeNote;  // the one message ffprobe prints, without its "[wav @ ...] " prefix
  double minimumSnrDb;
};

// The WAV writer's layout has no "fact" chunk, and without one ffprobe estimates a GSM file's
// duration (right, as sox's sample count shows) and says so.
constexpr const char* kGsmDurationNote = "Estimating duration from bitrate, this may be inaccurate";

constexpr Expectation kExpectations[] = {
    {WAVE_FORMAT_IMA_ADPCM, "IMA ADPCM", "adpcm_ima_wav", "", 28},
    {WAVE_FORMAT_ADPCM, "MS ADPCM", "adpcm_ms", "", 30},
    {WAVE_FORMAT_GSM610, "GSM", "gsm_ms", kGsmDurationNote, 18},
    {WAVE_FORMAT_ALAW, "A-law", "pcm_alaw", "", 35},
    {WAVE_FORMAT_MULAW, "u-law", "pcm_mulaw", "", 33},
};

class CompressorRecording : public ::testing::TestWithParam<size_t> {
 protected:
  // Pumps the notify window until the graph reports `code`.
  bool WaitForEvent(Recorder& recorder, long code) {
    MSG message;
    while (m_loop.GetMessage(message, std::chrono::seconds(10))) {
      auto* events = QueryInterface<IMediaEventEx>(recorder.Graph());
      long received;
      intptr_t p1, p2;
      while (events->GetEvent(&received, &p1, &p2, 0) == S_OK)
        if (received == code) return true;
    }
    return false;
  }

  ToolResult Tool(const std::string& command) { return RunTool(command, m_env.Path("tool.err")); }

  EngineTestEnvironment m_env;
  MessageLoop m_loop;
};

TEST_P(CompressorRecording, RecordsAFileThatSoxAndFfprobeReadCleanly) {
  const size_t position = GetParam();
  const AudioCompressorDescription& description = *AvailableAudioCompressors().at(position);
  const Expectation* expected = nullptr;
  for (const Expectation& e : kExpectations)
    if (e.tag == description.formatTag) expected = &e;
  ASSERT_NE(expected, nullptr);
  const uint32_t rateHz = description.onlyRateHz != 0 ? description.onlyRateHz : 22050;
  const uint16_t channels = description.maxChannels;
  const uint32_t frames = rateHz;  // one second

  const fs::path input = m_env.Path("in.wav"), reference = m_env.Path("in.raw");
  const fs::path output = m_env.Path("take.wav"), decoded = m_env.Path("out.raw");
  const std::string made = "sox -n -r " + std::to_string(rateHz) + " -c " + std::to_string(channels) + " -b 16 '" +
                           input.string() + "' synth 1 sine 440 sine 660 vol 0.5";
  ASSERT_EQ(Tool(made).exitCode, 0);
  ASSERT_EQ(Tool("sox '" + input.string() + "' -t raw -e signed -b 16 '" + reference.string() + "'").exitCode, 0);
  setenv("CORVOX_VIRTUAL_INPUT", input.c_str(), 1);
  m_env.Settings().SetDeviceSettings(0, DeviceSettings{rateHz, channels, 16, 500});
  m_env.Settings().SetWavConfiguration(WavConfiguration{static_cast<int32_t>(position), 0});

  Recorder recorder(m_env.Settings());
  recorder.SetFile(output.string(), &m_loop, WM_RECORDER_GRAPH_EVENT);
  recorder.SetExportFormat(kFormatWav);
  ASSERT_EQ(recorder.Build(), S_OK) << GetErrorInfo();
  ASSERT_TRUE(SUCCEEDED(recorder.Run())) << GetErrorInfo();
  ASSERT_TRUE(WaitForEvent(recorder, EC_COMPLETE));
  ASSERT_TRUE(SUCCEEDED(recorder.Stop()));
  recorder.TearDown();

  const std::string file = "'" + output.string() + "'";
  const ToolResult sox = Tool("sox --i " + file);
  ASSERT_EQ(sox.exitCode, 0) << sox.err;
  EXPECT_EQ(sox.err, "");
  for (const std::string& line :
       {"Channels       : " + std::to_string(channels) + "\n", "Sample Rate    : " + std::to_string(rateHz) + "\n",
        std::string(expected->soxEncoding) + "\n"})
    EXPECT_NE(sox.out.find(line), std::string::npos) << sox.out;

  const ToolResult probe =
      Tool("ffprobe -v warning -show_entries stream=codec_name,sample_rate,channels -of default=nw=1 " + file);
  ASSERT_EQ(probe.exitCode, 0) << probe.err;
  EXPECT_EQ(probe.err.empty() ? "" : Trim(probe.err.substr(probe.err.find("] ") + 2)), expected->ffprobeNote);
  EXPECT_EQ(Trim(probe.out), "codec_name=" + std::string(expected->ffprobeCodec) +
                                 "\nsample_rate=" + std::to_string(rateHz) + "\nchannels=" + std::to_string(channels));

  const ToolResult decode = Tool("sox " + file + " -t raw -e signed -b 16 '" + decoded.string() + "'");
  ASSERT_EQ(decode.exitCode, 0) << decode.err;
  const std::vector<int16_t> in = Samples(ScratchFolder::Read(reference));
  const std::vector<int16_t> out = Samples(ScratchFolder::Read(decoded));
  ASSERT_EQ(in.size(), size_t{frames} * channels);
  // The writer's "fmt " chunk starts at byte 20; wSamplesPerBlock, where the format has it, at 38.
  const std::vector<uint8_t> bytes = ScratchFolder::Read(output);
  ASSERT_GE(bytes.size(), 40u);
  const size_t samplesPerBlock = GetLe16(&bytes[36]) >= 2 ? GetLe16(&bytes[38]) : 1;
  EXPECT_GE(out.size(), in.size());
  EXPECT_LT(out.size(), in.size() + samplesPerBlock * channels);
  EXPECT_GE(SnrDb(in, out), expected->minimumSnrDb);
}

std::vector<size_t> Positions() {
  std::vector<size_t> positions(AvailableAudioCompressors().size());
  for (size_t i = 0; i < positions.size(); ++i) positions[i] = i;
  return positions;
}

INSTANTIATE_TEST_SUITE_P(Compressors, CompressorRecording, ::testing::ValuesIn(Positions()), [](const auto& info) {
  return std::string(AvailableAudioCompressors()[info.param]->encoderName);
});

}  // namespace
