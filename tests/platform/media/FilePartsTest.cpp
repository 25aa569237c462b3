// Numbered parts: their names, finding them again, and the file writer continuing in them.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/media/FileParts.h"
#include "platform/media/FileSink.h"
#include "platform/media/FileWriter.h"
#include "support/ScratchFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(FileParts, PartsAreFoundInPartOrderWhateverIsMissingOrBeside) {
  ScratchFolder folder;
  const std::string first = folder.File("rec.audio");
  EXPECT_EQ(FilePartName(first, 1), first);
  EXPECT_EQ(FilePartName(first, 12), first + ".12");
  EXPECT_TRUE(ExistingFileParts(first).empty());

  for (const char* name : {"rec.audio.10", "rec.audio.2", "rec.audio.3", "rec.audio.02", "rec.audio.1", "rec.audio.x",
                           "rec.audio.4x", "rec.audio.-5", "other.audio.5", "rec.audio."})
    folder.WriteText(name, "x");
  EXPECT_EQ(ExistingFileParts(first), (std::vector<std::string>{first + ".2", first + ".3", first + ".10"}))
      << "a part without the first, and a gap, are still found";
  folder.WriteText("rec.audio", "x");
  EXPECT_EQ(ExistingFileParts(first).front(), first);
  EXPECT_EQ(ExistingFileParts(first).size(), 4u);
}

class FileWriterParts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_writer.SetFileName(m_first, nullptr), S_OK);
    ASSERT_EQ(m_writer.Pause(), S_OK);
    m_stream = QueryInterface<IStream>(m_writer.GetPin(0));
    m_continuation = QueryInterface<IFileContinuation>(m_writer.GetPin(0));
    ASSERT_NE(m_stream, nullptr);
    ASSERT_NE(m_continuation, nullptr);
  }

  void Write(const std::string& text) {
    unsigned long written = 0;
    ASSERT_EQ(m_stream->Write(text.data(), static_cast<unsigned long>(text.size()), &written), S_OK);
  }

  static std::string Text(const std::string& path) {
    const Bytes bytes = ScratchFolder::Read(path);
    return std::string(bytes.begin(), bytes.end());
  }

  ScratchFolder m_folder;
  const std::string m_first = m_folder.File("rec.audio");
  CFileWriter m_writer;
  IStream* m_stream = nullptr;
  IFileContinuation* m_continuation = nullptr;
};

TEST_F(FileWriterParts, ContinuesInFreshNumberedPartsWithPositionsFromTheirStart) {
  m_folder.WriteText("rec.audio.2", "stale content of an earlier recording");
  Write("first");
  ASSERT_EQ(m_continuation->ContinueInNextFile(), S_OK);
  uint64_t position = 1;
  ASSERT_EQ(m_stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
  EXPECT_EQ(position, 0u);
  Write("second");
  ASSERT_EQ(m_stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
  Write("S");
  ASSERT_EQ(m_continuation->ContinueInNextFile(), S_OK);
  Write("third");
  ASSERT_EQ(m_writer.Stop(), S_OK);

  EXPECT_EQ(Text(m_first), "first");
  EXPECT_EQ(Text(m_first + ".2"), "Second");
  EXPECT_EQ(Text(m_first + ".3"), "third");

  // A new run starts again in the first file.
  ASSERT_EQ(m_writer.Pause(), S_OK);
  ASSERT_EQ(m_continuation->ContinueInNextFile(), S_OK);
  Write("again");
  ASSERT_EQ(m_writer.Stop(), S_OK);
  EXPECT_EQ(Text(m_first + ".2"), "again");
}

TEST_F(FileWriterParts, APartThatCannotBeMadeLeavesTheCurrentFileOpen) {
  ASSERT_EQ(mkdir((m_first + ".2").c_str(), 0700), 0);
  Write("kept");
  EXPECT_TRUE(FAILED(m_continuation->ContinueInNextFile()));
  Write(" going");
  ASSERT_EQ(m_writer.Stop(), S_OK);
  EXPECT_EQ(Text(m_first), "kept going");
  EXPECT_EQ(m_continuation->ContinueInNextFile(), E_UNEXPECTED) << "stopped: no file";
}

}  // namespace
