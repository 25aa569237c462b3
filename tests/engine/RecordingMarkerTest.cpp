#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/RecordingMarker.h"
#include "settings/ExportFormat.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

RecordingMarker SampleMarker() {
  RecordingMarker marker;
  marker.format = kFormatOgg;
  marker.captureFormat = "48000 Hz, 16-bit, 2 channels";
  marker.outputFile = "/music/odd \\ name\nwith=signs.ogg";
  marker.startTime = 1700000000;
  marker.pid = 4242;
  marker.bootId = "0ce6efdd-5979-49c4-9ede-3a870de301df";
  marker.stagedFiles = {"", "/music/.corvox-recovered-4242-1700000000-2.ogg"};
  return marker;
}

TEST(RecordingMarker, SurvivesAWriteAndARead) {
  ScratchFolder folder;
  const std::string path = RecordingMarkerPath(folder.Path());
  EXPECT_EQ(path, folder.File("corvox_temp.marker"));
  ASSERT_TRUE(WriteRecordingMarker(path, SampleMarker()));
  EXPECT_EQ(ReadRecordingMarker(path), SampleMarker());
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Only the marker itself is left: the write went through a file beside it.
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"corvox_temp.marker"}));

  ASSERT_TRUE(RemoveRecordingMarker(path));
  EXPECT_FALSE(ReadRecordingMarker(path));
  EXPECT_TRUE(RemoveRecordingMarker(path));
}

TEST(RecordingMarker, OfThisProcessNamesItAndItsBoot) {
  const RecordingMarker marker = MakeRecordingMarker(kFormatWav, "44100 Hz", "/music/a.wav");
  EXPECT_EQ(marker.pid, ::getpid());
  EXPECT_EQ(marker.bootId, CurrentBootId());
  EXPECT_GT(marker.startTime, 1600000000);
  EXPECT_TRUE(MarkerProcessRuns(marker));
}

TEST(RecordingMarker, DamagedOnesAreIgnored) {
  for (const char* text : {"", "format=203\n", "pid=12\n", "format=204\npid=12\n", "format=199\npid=12\n",
                           "format=203\npid=0\n", "format=203\npid=-1\n", "format=203\npid=12x\n",
                           "format=203\npid=99999999999999999999\n", "format=\npid=12\n", "\x01\x02\xff"}) {
    EXPECT_FALSE(ParseRecordingMarker(text)) << text;
  }
}

TEST(RecordingMarker, ToleratesWhatItDoesNotNeed) {
  const std::optional<RecordingMarker> marker = ParseRecordingMarker(
      "junk line\nformat=202\nfuture=1\nstart=soon\npid=77\nstaged.0=x\nstaged.9999=y\n"
      "staged.2=/m/b.ogg");
  ASSERT_TRUE(marker);
  EXPECT_EQ(marker->format, 202);
  EXPECT_EQ(marker->pid, 77);
  EXPECT_EQ(marker->startTime, 0);
  EXPECT_EQ(marker->outputFile, "");
  EXPECT_EQ(marker->stagedFiles, (std::vector<std::string>{"", "/m/b.ogg"}));
}

TEST(RecordingMarker, OneThatIsNoFileIsNotRead) {
  ScratchFolder folder;
  const std::string path = RecordingMarkerPath(folder.Path());
  ScratchFolder::Write(folder.File("real"),
                       {'f', 'o', 'r', 'm', 'a', 't', '=', '2', '0', '3', '\n', 'p', 'i', 'd', '=', '5', '\n'});
  ASSERT_EQ(::symlink(folder.File("real").c_str(), path.c_str()), 0);
  EXPECT_FALSE(ReadRecordingMarker(path));
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_FALSE(ReadRecordingMarker(path));
  ASSERT_EQ(::unlink(path.c_str()), 0);
  // Far larger than any marker.
  std::vector<uint8_t> huge(1 << 20, 'a');
  const std::string head = "format=203\npid=5\n";
  std::copy(head.begin(), head.end(), huge.begin());
  ScratchFolder::Write(path, huge);
  EXPECT_FALSE(ReadRecordingMarker(path));
}

TEST(RecordingMarker, TellsWhetherItsProcessRuns) {
  RecordingMarker marker = SampleMarker();
  marker.bootId = CurrentBootId();
  marker.pid = DeadProcessId();
  EXPECT_FALSE(MarkerProcessRuns(marker));
  marker.pid = ::getppid();
  EXPECT_TRUE(MarkerProcessRuns(marker));
  // A process of another boot is gone, whichever process has its id now.
  marker.bootId = "another boot";
  EXPECT_FALSE(MarkerProcessRuns(marker));
  // This process, of course, runs.
  marker.pid = ::getpid();
  EXPECT_TRUE(MarkerProcessRuns(marker));
}

}  // namespace
