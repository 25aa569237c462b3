#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/registry/RegistryStore.h"
#include "platform/registry/RegistryText.h"
#include "platform/shell/FileOperations.h"
#include "support/MessageBoxCapture.h"
#include "support/ScratchFolder.h"

namespace {

const std::string kKey = "Software\\Vantro Solutions\\Corvox";

std::string FileWithFormat(const std::string& digits) {
  return "Corvox Registry Version 1\n\n[" + kKey + "]\n\"Format\"=dword:000000" + digits + "\n";
}

uint8_t StoredFormat(const RegistryStore& store) {
  RegistryKeyMap keys;
  EXPECT_EQ(store.Read(keys), ERROR_SUCCESS);
  const auto key = keys.find(kKey);
  if (key == keys.end()) return 0;
  const auto value = key->second.find("Format");
  return value == key->second.end() ? 0 : value->second.data.at(0);
}

void SetModified(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

// The file is parsed once and again only when it changed: an edit that keeps size, inode and
// modification time is not seen, one that moves the time is.
TEST(RegistryStore, ParsesTheFileAgainOnlyWhenItChanged) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  folder.WriteText("corvox.reg", FileWithFormat("c8"));
  SetModified(path, 1000);
  RegistryStore store(path);
  EXPECT_EQ(StoredFormat(store), 0xc8);

  folder.WriteText("corvox.reg", FileWithFormat("c9"));
  SetModified(path, 1000);
  EXPECT_EQ(StoredFormat(store), 0xc8);

  SetModified(path, 1001);
  EXPECT_EQ(StoredFormat(store), 0xc9);
}

TEST(RegistryStore, AnotherWritersUpdateIsSeenAndOwnUpdatesNeedNoReparse) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  RegistryStore mine(path), theirs(path);
  const auto setFormat = [](uint8_t format) {
    return [format](RegistryKeyMap& keys) {
      keys[kKey]["Format"] = RegistryValue{REG_DWORD, {format, 0, 0, 0}};
      return ERROR_SUCCESS;
    };
  };
  ASSERT_EQ(mine.Update(setFormat(0xc8)), ERROR_SUCCESS);
  EXPECT_EQ(StoredFormat(mine), 0xc8);
  ASSERT_EQ(theirs.Update(setFormat(0xca)), ERROR_SUCCESS);
  EXPECT_EQ(StoredFormat(mine), 0xca);
  ASSERT_EQ(mine.Update(setFormat(0xcb)), ERROR_SUCCESS);
  EXPECT_EQ(StoredFormat(mine), 0xcb);
  EXPECT_EQ(StoredFormat(theirs), 0xcb);
}

// A well-formed file of megabytes is no settings file the recorder wrote: it is set aside
// like a damaged one instead of being read.
TEST(RegistryStore, AFileFarLargerThanAnySettingsFileCountsAsDamaged) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  std::string text = FileWithFormat("c8");
  const std::string comment = "; " + std::string(100, 'x') + "\n";
  while (text.size() <= RegistryStore::kMaxFileBytes) text += comment;
  RegistryKeyMap parsed;
  ASSERT_TRUE(ParseRegistryText(text, parsed));
  folder.WriteText("corvox.reg", text);

  MessageBoxCapture boxes;
  RegistryStore store(path);
  EXPECT_EQ(StoredFormat(store), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].flags, MB_ICONWARNING);
  EXPECT_NE(boxes.Boxes()[0].text.find("could not be read"), std::string::npos);
  EXPECT_FALSE(PathFileExists(path));
}
