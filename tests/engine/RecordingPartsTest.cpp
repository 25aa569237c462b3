// A recording in numbered parts is saved part by part under successive output names.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/RecordingParts.h"
#include "settings/ExportFormat.h"
#include "support/ScratchFolder.h"
#include "support/WavBytes.h"

namespace {

class RecordingParts : public ::testing::Test {
 protected:
  // Part `part` of the temporary recording: a WAV file of `frames` stereo frames.
  void WritePart(int part, size_t frames) {
    ScratchFolder::Write(part == 1 ? m_temporary : m_temporary + "." + std::to_string(part),
                         WavBytes(WavLayout{}, std::vector<uint8_t>(frames * 4, 0x11)));
  }

  FinishRequest Request(const std::string& output, ReplaceRule rule) {
    FinishRequest request;
    request.temporaryFile = m_temporary;
    request.folder = m_folder.Path();
    request.outputFile = output;
    request.format = kFormatWav;
    request.rule = rule;
    return request;
  }

  ScratchFolder m_folder;
  const std::string m_temporary = m_folder.File("corvox_temp.audio");
};

TEST_F(RecordingParts, NumberedNamesFollowTheOutputName) {
  EXPECT_EQ(NumberedOutputName("/m/take.wav", 2), "/m/take002.wav");
  EXPECT_EQ(NumberedOutputName("/m/take", 12), "/m/take012");
}

TEST_F(RecordingParts, TheTemplatesNextNamesTakeThePartsInOrder) {
  WritePart(1, 44100);
  WritePart(2, 44100);
  WritePart(3, 22050);
  FinishRequest request = Request(m_folder.File("rec005.wav"), ReplaceRule::KeepExisting);
  int next = 5;
  request.nextOutputName = [&] { return m_folder.File("rec00" + std::to_string(++next) + ".wav"); };
  const FinishResult result = FinishRecordingInParts(request);
  EXPECT_TRUE(result.saved) << result.problem;
  EXPECT_EQ(result.file, m_folder.File("rec005.wav"));
  EXPECT_EQ(result.continuedIn, (std::vector<std::string>{m_folder.File("rec006.wav"), m_folder.File("rec007.wav")}));
  EXPECT_DOUBLE_EQ(result.seconds, 2.5);
  EXPECT_EQ(m_folder.Names(), (std::set<std::string>{"rec005.wav", "rec006.wav", "rec007.wav"}))
      << "every temporary part is gone";
}

TEST_F(RecordingParts, AfterANamedOutputThePartsNeverReplaceAFile) {
  WritePart(1, 4410);
  WritePart(2, 4410);
  WritePart(3, 4410);
  m_folder.WriteText("take.wav", "replaced: the user named it");
  m_folder.WriteText("take002.wav", "an earlier recording");
  const FinishResult result = FinishRecordingInParts(Request(m_folder.File("take.wav"), ReplaceRule::ReplaceRegularFile));
  EXPECT_TRUE(result.saved) << result.problem;
  EXPECT_EQ(result.file, m_folder.File("take.wav"));
  EXPECT_EQ(result.continuedIn, (std::vector<std::string>{m_folder.File("take003.wav"), m_folder.File("take004.wav")}));
  EXPECT_EQ(m_folder.ReadText("take002.wav"), "an earlier recording");
}

TEST_F(RecordingParts, APartThatIsNotValidIsKeptAndSaid) {
  WritePart(1, 4410);
  ScratchFolder::Write(m_temporary + ".2", {'R', 'I', 'F', 'F', 1, 2, 3});
  const FinishResult result = FinishRecordingInParts(Request(m_folder.File("take.wav"), ReplaceRule::KeepExisting));
  EXPECT_FALSE(result.saved);
  ASSERT_EQ(result.continuedIn.size(), 1u);
  EXPECT_NE(result.continuedIn[0].find("corvox_unsaved_"), std::string::npos) << result.continuedIn[0];
  EXPECT_NE(result.problem.find("part 2 could not be saved as " + m_folder.File("take002.wav")), std::string::npos)
      << result.problem;
  EXPECT_TRUE(ScratchFolder::Read(m_folder.File("take.wav")).size() > 44) << "the first part is saved all the same";
}

}  // namespace
