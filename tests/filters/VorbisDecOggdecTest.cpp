// The decoder against oggdec on files made by oggenc and ffmpeg. Float output rounded as
// oggdec rounds (x 32768, to nearest) must equal oggdec's samples exactly; the 16-bit output
// scales by 32767 and truncates, which puts it at most 2 below or above oggdec's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "filters/VorbisDecRig.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

struct ToolFile {
  const char* name;
  int channels;
  long rateHz;
  bool ffmpeg;  // else oggenc
};

void PrintTo(const ToolFile& file, std::ostream* out) { *out << file.name; }

// Every packet, then end of stream; the decoder's interleaved output.
template <class Read>
auto Decode(const VorbisTestStream& stream, bool floats, Read read) {
  VorbisDecRig rig(stream.channels, stream.rateHz, floats);
  EXPECT_EQ(rig.Connect(), S_OK);
  EXPECT_EQ(rig.Run(), S_OK);
  EXPECT_EQ(rig.SendAll(stream.packets), S_OK);
  EXPECT_EQ(rig.EndOfStream(), S_OK);
  return read(rig);
}

class VorbisDecOggdecTest : public testing::TestWithParam<ToolFile> {};

TEST_P(VorbisDecOggdecTest, MatchesOggdec) {
  const ToolFile& file = GetParam();
  ScratchFolder folder;
  const std::string wav = folder.File("in.wav"), ogg = folder.File("in.ogg"), raw = folder.File("oggdec.raw");
  // Tones on every channel, one of them a full-scale square whose decoding overshoots 1.
  std::vector<std::string> make = {
      "sox", "-n",     "-r", std::to_string(file.rateHz), "-c", std::to_string(file.channels), "-b", "16", wav, "synth",
      "1.5", "square", "300"};
  for (int c = 1; c < file.channels; ++c) {
    make.push_back("sine");
    make.push_back(std::to_string(200 + 150 * c));
  }
  ASSERT_EQ(RunProcess(make).exitCode, 0);
  const ProcessResult encoded =
      file.ffmpeg ? RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", wav, "-c:a", "libvorbis", ogg})
                  : RunProcess({"oggenc", "-Q", wav, "-o", ogg});
  ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
  // Raw output keeps Vorbis channel order.
  ASSERT_EQ(RunProcess({"oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-s", "1", ogg, "-o", raw}).exitCode, 0);
  const std::vector<uint8_t> reference = ScratchFolder::Read(raw);
  const std::optional<VorbisTestStream> stream = ReadVorbisFile(ogg);
  ASSERT_TRUE(stream);
  ASSERT_EQ(stream->channels, file.channels);
  ASSERT_EQ(stream->rateHz, file.rateHz);

  const std::vector<float> floats = Decode(*stream, true, [](VorbisDecRig& rig) { return rig.OutputFloat(); });
  const std::vector<int16_t> shorts = Decode(*stream, false, [](VorbisDecRig& rig) { return rig.Output16(); });
  ASSERT_EQ(floats.size() * 2, reference.size());
  ASSERT_EQ(shorts.size() * 2, reference.size());
  const int channels = file.channels;
  const std::vector<int> outputChannelOf =
      channels == 6 ? std::vector<int>{0, 2, 1, 4, 5, 3} : std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
  int worst = 0;
  for (size_t i = 0; i < reference.size() / 2; ++i) {
    const auto expected = static_cast<int16_t>(reference[2 * i] | reference[2 * i + 1] << 8);
    const size_t frame = i / static_cast<size_t>(channels);
    const size_t ours = frame * static_cast<size_t>(channels) + static_cast<size_t>(outputChannelOf[i % channels]);
    const long rounded = std::clamp(std::lrint(floats[ours] * 32768.0f), -32768L, 32767L);
    ASSERT_EQ(rounded, expected) << "frame " << frame << " channel " << i % channels;
    worst = std::max(worst, std::abs(shorts[ours] - expected));
  }
  EXPECT_LE(worst, 2);
}

INSTANTIATE_TEST_SUITE_P(ToolFiles, VorbisDecOggdecTest,
                         testing::Values(ToolFile{"oggenc_mono_22050", 1, 22050, false},
                                         ToolFile{"oggenc_stereo_44100", 2, 44100, false},
                                         ToolFile{"oggenc_stereo_8000", 2, 8000, false},
                                         ToolFile{"oggenc_six_48000", 6, 48000, false},
                                         ToolFile{"ffmpeg_stereo_32000", 2, 32000, true}),
                         [](const testing::TestParamInfo<ToolFile>& info) { return std::string(info.param.name); });

}  // namespace
