#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shell/TempFolder.h"
#include "support/ScratchFolder.h"
#include "support/ScopedEnvironment.h"

namespace {

std::string PrivateName() { return "corvox-" + std::to_string(::geteuid()); }

}  // namespace

TEST(ShellTempFolder, CreatesAPrivateFolderUnderTmpdir) {
  ScratchFolder tmp;
  ScopedEnvironment tmpdir("TMPDIR", tmp.Path());

  std::string folder;
  std::string error;
  ASSERT_TRUE(GetTempFolder(folder, &error)) << error;
  EXPECT_EQ(folder, tmp.File(PrivateName()));
  struct stat info;
  ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  std::string again;
  EXPECT_TRUE(GetTempFolder(again));
  EXPECT_EQ(again, folder);
}

TEST(ShellTempFolder, RefusesALinkAFileAndAFolderOthersCanEnter) {
  ScratchFolder tmp;
  ScopedEnvironment tmpdir("TMPDIR", tmp.Path());
  const std::string name = tmp.File(PrivateName());
  std::string folder = "unchanged";
  std::string error;

  ASSERT_EQ(::mkdir(tmp.File("elsewhere").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(tmp.File("elsewhere").c_str(), name.c_str()), 0);
  EXPECT_FALSE(GetTempFolder(folder, &error));
  EXPECT_TRUE(folder.empty());
  EXPECT_NE(error.find("link"), std::string::npos) << error;

  ASSERT_EQ(::unlink(name.c_str()), 0);
  tmp.WriteText(PrivateName(), "");
  EXPECT_FALSE(GetTempFolder(folder, &error));
  EXPECT_NE(error.find("not a folder"), std::string::npos) << error;

  ASSERT_EQ(::unlink(name.c_str()), 0);
  ASSERT_EQ(::mkdir(name.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(name.c_str(), 0770), 0);
  EXPECT_FALSE(GetTempFolder(folder, &error));
  EXPECT_NE(error.find("0700"), std::string::npos) << error;
}
