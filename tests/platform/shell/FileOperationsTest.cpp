#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/shell/FileOperations.h"
#include "support/ScratchFolder.h"

TEST(ShellFileOperations, CopyReplacesTheTargetAndLeavesNoPartFiles) {
  ScratchFolder folder;
  const std::string content(700000, 'x');
  folder.WriteText("recording.tmp", content);
  folder.WriteText("take.wav", "old take");

  std::string error;
  ASSERT_TRUE(CopyFile(folder.File("recording.tmp"), folder.File("take.wav"), &error)) << error;
  EXPECT_EQ(folder.ReadText("take.wav"), content);
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"recording.tmp", "take.wav"}));
}

TEST(ShellFileOperations, FailedCopyReportsAndKeepsTheTarget) {
  ScratchFolder folder;
  folder.WriteText("take.wav", "old take");
  std::string error;
  EXPECT_FALSE(CopyFile(folder.File("missing"), folder.File("take.wav"), &error));
  EXPECT_NE(error.find(folder.File("missing")), std::string::npos) << error;
  EXPECT_EQ(folder.ReadText("take.wav"), "old take");

  folder.WriteText("source", "data");
  EXPECT_FALSE(CopyFile(folder.File("source"), folder.File("no-such-folder/take.wav"), &error));
  EXPECT_FALSE(error.empty());
}

TEST(ShellFileOperations, ListingMarksFoldersAndLinksToFolders) {
  ScratchFolder folder;
  folder.WriteText("a.wav", "");
  ASSERT_TRUE(CreateDirectory(folder.File("sub")));
  EXPECT_FALSE(CreateDirectory(folder.File("sub")));
  ASSERT_EQ(::symlink(folder.File("sub").c_str(), folder.File("link").c_str()), 0);

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(ListDirectory(folder.Path(), entries));
  auto isDirectory = [&](const std::string& name) {
    const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; });
    return entry != entries.end() && entry->isDirectory;
  };
  EXPECT_EQ(entries.size(), 5u);  // ".", "..", a.wav, sub, link
  EXPECT_FALSE(isDirectory("a.wav"));
  EXPECT_TRUE(isDirectory("sub"));
  EXPECT_TRUE(isDirectory("link"));

  std::string error;
  EXPECT_FALSE(ListDirectory(folder.File("missing"), entries, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ShellFileOperations, DanglingLinkCountsAsExisting) {
  ScratchFolder folder;
  ASSERT_EQ(::symlink(folder.File("nowhere").c_str(), folder.File("dangling").c_str()), 0);
  EXPECT_TRUE(PathFileExists(folder.File("dangling")));
  EXPECT_FALSE(PathFileExists(folder.File("nowhere")));
  EXPECT_TRUE(DeleteFile(folder.File("dangling")));
  EXPECT_FALSE(DeleteFile(folder.File("dangling")));
}

TEST(ShellFileOperations, CreateDirectoryPathCreatesParentsWithTheMode) {
  ScratchFolder folder;
  ASSERT_TRUE(CreateDirectoryPath(folder.File("a/b/c"), 0700));
  struct stat info;
  ASSERT_EQ(::stat(folder.File("a/b/c").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(CreateDirectoryPath(folder.File("a/b/c"), 0700));

  folder.WriteText("file", "");
  EXPECT_FALSE(CreateDirectoryPath(folder.File("file/sub"), 0700));
}

TEST(ShellFileOperations, MoveKeepsAnExistingTargetUnlessToldToReplaceIt) {
  ScratchFolder folder;
  folder.WriteText("recording.tmp", "new take");
  folder.WriteText("take001.wav", "earlier take");
  std::string error;
  EXPECT_FALSE(MoveFile(folder.File("recording.tmp"), folder.File("take001.wav"), MoveMode::KeepExisting, &error));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(folder.ReadText("take001.wav"), "earlier take");
  EXPECT_EQ(folder.ReadText("recording.tmp"), "new take");

  ASSERT_TRUE(MoveFile(folder.File("recording.tmp"), folder.File("take002.wav"), MoveMode::KeepExisting, &error));
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"take001.wav", "take002.wav"}));
  folder.WriteText("recording.tmp", "replacement");
  ASSERT_TRUE(MoveFile(folder.File("recording.tmp"), folder.File("take001.wav"), MoveMode::Replace, &error));
  EXPECT_EQ(folder.ReadText("take001.wav"), "replacement");
}

TEST(ShellFileOperations, ReadAllGathersShortReadsUntilTheLengthOrTheEnd) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  // A pipe hands out what each write put in, so one read would stop at the first piece.
  std::thread writer([&] {
    for (const char* piece : {"abc", "defg", "hi"}) {
      WriteAll(fds[1], piece);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fds[1]);
  });
  char buffer[16] = {};
  EXPECT_EQ(ReadAll(fds[0], buffer, 7), 7);
  EXPECT_EQ(std::string(buffer, 7), "abcdefg");
  EXPECT_EQ(ReadAll(fds[0], buffer, sizeof buffer), 2);
  writer.join();
  ::close(fds[0]);
  EXPECT_EQ(ReadAll(fds[0], buffer, 1), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST(ShellFileOperations, ReadAllAtReadsFromTheOffsetWithoutMovingThePosition) {
  ScratchFolder folder;
  folder.WriteText("file", "0123456789");
  const int fd = ::open(folder.File("file").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  char buffer[8] = {};
  EXPECT_EQ(ReadAllAt(fd, buffer, 4, 6), 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(ReadAllAt(fd, buffer, 8, 8), 2);
  EXPECT_EQ(ReadAllAt(fd, buffer, 8, 100), 0);
  EXPECT_EQ(ReadAll(fd, buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "012");
  ::close(fd);
}
