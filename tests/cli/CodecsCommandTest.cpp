#include <gtest/gtest.h>

#include <sstream>

#include "cli/CodecsCommand.h"
#include "platform/codecs/AudioCompressorCategory.h"

namespace {

TEST(CodecsCommand, ListsTheWmaFormatsAndTheWavCompressorsWithWhatTheSettingsStore) {
  RegisterAudioCompressors();
  std::ostringstream out, err;
  ASSERT_EQ(RunCodecsCommand({}, out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("  codecIndex=0  Windows Media Audio 9\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    formatIndex=24  vbr=0  128 kbps, 44 kHz, stereo CBR\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  compressorIndex=0   listIndex=0   IMA ADPCM\n"), std::string::npos) << text;
  EXPECT_LT(text.find("WMA codecs"), text.find("WAV compressors"));
}

TEST(CodecsCommand, TakesNoArguments) {
  std::ostringstream out, err;
  EXPECT_EQ(RunCodecsCommand({"extra"}, out, err), 2);
  EXPECT_NE(err.str().find("usage: corvox codecs"), std::string::npos);
}

}  // namespace
