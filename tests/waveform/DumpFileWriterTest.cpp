#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "support/ScratchFolder.h"
#include "waveform/DumpFileWriter.h"

namespace {

std::string ValueLines(int first, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += std::to_string(first - i * 13) + "\r\n";
  return lines;
}

TEST(DumpFileWriterTest, HeaderGoesFirstWhateverTheNumberOfValues) {
  ScratchFolder folder;
  // A few values stay in the buffer; 40000 lines reach the disk in several blocks first.
  for (const int count : {0, 3, 40000}) {
    DumpFileWriter writer;
    ASSERT_EQ(writer.Open(folder.File("dump.txt")), S_OK);
    for (int i = 0; i < count; ++i) ASSERT_EQ(writer.WriteValue(250000 - i * 13), S_OK);
    ASSERT_EQ(writer.WriteFirstLine("2\t44100\t2\t1.000000\t7\t-7"), S_OK);
    ASSERT_EQ(writer.Close(), S_OK);
    EXPECT_EQ(folder.ReadText("dump.txt"), "2\t44100\t2\t1.000000\t7\t-7\r\n" + ValueLines(250000, count)) << count;
  }
}

TEST(DumpFileWriterTest, OpeningEmptiesAnOldDump) {
  ScratchFolder folder;
  folder.WriteText("dump.txt", "old content that is longer\r\n");
  DumpFileWriter writer;
  ASSERT_EQ(writer.Open(folder.File("dump.txt")), S_OK);
  ASSERT_EQ(writer.WriteValue(-5), S_OK);
  ASSERT_EQ(writer.Close(), S_OK);
  EXPECT_EQ(folder.ReadText("dump.txt"), "-5\r\n");
}

TEST(DumpFileWriterTest, MissingFolderGivesTheSystemsCode) {
  DumpFileWriter writer;
  EXPECT_EQ(writer.Open("/nonexistent-folder/dump.txt"), HResultFromErrno(ENOENT));
  EXPECT_FALSE(writer.IsOpen());
}

TEST(DumpFileWriterTest, FullDiskIsReportedAsSuch) {
  DumpFileWriter writer;
  ASSERT_EQ(writer.Open("/dev/full"), S_OK);
  EXPECT_EQ(writer.WriteValue(1), S_OK);  // still queued
  EXPECT_EQ(writer.WriteFirstLine("header"), HResultFromErrno(ENOSPC));
  writer.Abandon();
  EXPECT_FALSE(writer.IsOpen());

  ASSERT_EQ(writer.Open("/dev/full"), S_OK);
  HRESULT hr = S_OK;
  for (int i = 0; i < 100000 && hr == S_OK; ++i) hr = writer.WriteValue(i);
  EXPECT_EQ(hr, HResultFromErrno(ENOSPC));  // a full buffer meets the disk
  writer.Abandon();
}

}  // namespace
