#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/registry/RegistryKey.h"
#include "platform/shell/FileOperations.h"
#include "support/MessageBoxCapture.h"
#include "support/ScratchFolder.h"

namespace {

const std::string kCorvoxKey = "Software\\Vantro Solutions\\Corvox";

std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

TEST(RegistryKey, OpenFindsOnlyCreatedKeysAndCreateMakesTheParents) {
  ScratchFolder folder;
  RegistryKey key(folder.File("vantro/corvox.reg"));
  EXPECT_EQ(key.Open(kCorvoxKey), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(PathFileExists(folder.File("vantro")));  // reading creates nothing

  ASSERT_EQ(key.Create(kCorvoxKey), ERROR_SUCCESS);
  EXPECT_TRUE(key.IsOpen());
  RegistryKey other(folder.File("vantro/corvox.reg"));
  EXPECT_EQ(other.Open("software\\vantro solutions\\CORVOX"), ERROR_SUCCESS);
  EXPECT_EQ(other.Open("Software\\Vantro Solutions"), ERROR_SUCCESS);
  EXPECT_EQ(other.Open("Software\\\\Vantro"), ERROR_INVALID_PARAMETER);

  struct stat info;
  ASSERT_EQ(::stat(folder.File("vantro").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(folder.File("vantro/corvox.reg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(RegistryKey, ValuesPersistByteForByteAcrossHandles) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"Audio Filename", {REG_SZ, Bytes(std::string_view("/music/take.wav\0", 16))}},
      {"Embedded", {REG_SZ, Bytes(std::string_view("a\0b", 3))}},
      {"Expand", {REG_EXPAND_SZ, Bytes(std::string_view("$HOME\0", 6))}},
      {"Format", {REG_DWORD, {0xcb, 0, 0, 0}}},
      {"MP3 Configuration", {REG_BINARY, std::vector<uint8_t>(32, 0xa5)}},
      {"Nothing", {REG_NONE, {}}},
  };
  {
    RegistryKey writer(path);
    ASSERT_EQ(writer.Create(kCorvoxKey), ERROR_SUCCESS);
    for (const auto& [name, value] : values) {
      ASSERT_EQ(writer.SetValue(name, value.type, value.data), ERROR_SUCCESS) << name;
    }
  }
  RegistryKey reader(path);
  ASSERT_EQ(reader.Open(kCorvoxKey), ERROR_SUCCESS);
  std::vector<std::pair<std::string, RegistryValue>> listed;
  ASSERT_EQ(reader.EnumValues(listed), ERROR_SUCCESS);
  EXPECT_EQ(listed, values);

  uint32_t type = 99;
  std::vector<uint8_t> data;
  ASSERT_EQ(reader.QueryValue("FORMAT", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, values[3].second.data);

  EXPECT_EQ(reader.DeleteValue("Format"), ERROR_SUCCESS);
  EXPECT_EQ(reader.DeleteValue("Format"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reader.QueryValue("Format", type, data), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(reader.SetValue("bad\nname", REG_NONE, {}), ERROR_INVALID_PARAMETER);

  reader.Close();
  EXPECT_EQ(reader.QueryValue("Expand", type, data), ERROR_INVALID_HANDLE);
}

TEST(RegistryKey, WritesLeaveOnlyTheFileAndItsLock) {
  ScratchFolder folder;
  RegistryKey key(folder.File("corvox.reg"));
  ASSERT_EQ(key.Create(kCorvoxKey), ERROR_SUCCESS);
  for (uint8_t i = 0; i < 20; ++i) {
    ASSERT_EQ(key.SetValue("Value", REG_BINARY, std::vector<uint8_t>(i, i)), ERROR_SUCCESS);
  }
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"corvox.reg", "corvox.reg.lock"}));
}

TEST(RegistryKey, DamagedFileIsSetAsideAndTheStoreStartsEmpty) {
  ScratchFolder folder;
  const std::string damaged = "Corvox Registry Version 1\n[Software\\Vantro Solutions\\Corvox]\n\"Format\"=dword:zz\n";
  folder.WriteText("corvox.reg", damaged);

  RegistryKey key(folder.File("corvox.reg"));
  MessageBoxCapture boxes;
  EXPECT_EQ(key.Open(kCorvoxKey), ERROR_FILE_NOT_FOUND);
  std::string asideName;
  for (const std::string& name : folder.Names()) {
    if (name.rfind("corvox.reg.damaged-", 0) == 0) {
      asideName = name;
    }
  }
  ASSERT_FALSE(asideName.empty());
  // The user hears of it through the message-box seam, once.
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "The settings file " + folder.File("corvox.reg") +
                                       " could not be read; it was kept as " + folder.File(asideName) +
                                       " and the settings start from their defaults.");
  EXPECT_EQ(boxes.Boxes()[0].flags, MB_ICONWARNING);
  EXPECT_EQ(folder.ReadText(asideName), damaged);
  EXPECT_FALSE(PathFileExists(folder.File("corvox.reg")));

  ASSERT_EQ(key.Create(kCorvoxKey), ERROR_SUCCESS);
  ASSERT_EQ(key.SetValue("Format", REG_DWORD, std::vector<uint8_t>{0xc8, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(folder.ReadText(asideName), damaged);

  // A second damage keeps the first one's copy.
  folder.WriteText("corvox.reg", std::string("\0\xff binary", 9));
  EXPECT_EQ(key.Open(kCorvoxKey), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(folder.ReadText(asideName), damaged);
  EXPECT_EQ(folder.Names().size(), 3u);  // lock file and two set-aside copies
}

TEST(RegistryKey, UnusableLocationFailsWithoutCrashing) {
  ScratchFolder folder;
  folder.WriteText("file", "");
  RegistryKey key(folder.File("file/vantro/corvox.reg"));
  EXPECT_NE(key.Create(kCorvoxKey), ERROR_SUCCESS);
  EXPECT_EQ(key.Open(kCorvoxKey), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.IsOpen());
}

TEST(RegistryKey, ConcurrentProcessesLoseNoUpdate) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  ASSERT_EQ(RegistryKey(path).Create(kCorvoxKey), ERROR_SUCCESS);
  constexpr int kProcesses = 4;
  constexpr int kValuesEach = 15;
  std::vector<pid_t> children;
  for (int process = 0; process < kProcesses; ++process) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RegistryKey key(path);
      bool ok = key.Open(kCorvoxKey) == ERROR_SUCCESS;
      for (int i = 0; ok && i < kValuesEach; ++i) {
        const std::string name = "P" + std::to_string(process) + "V" + std::to_string(i);
        ok = key.SetValue(name, REG_BINARY, std::vector<uint8_t>{static_cast<uint8_t>(i)}) == ERROR_SUCCESS;
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryKey key(path);
  ASSERT_EQ(key.Open(kCorvoxKey), ERROR_SUCCESS);
  std::vector<std::pair<std::string, RegistryValue>> values;
  ASSERT_EQ(key.EnumValues(values), ERROR_SUCCESS);
  EXPECT_EQ(values.size(), static_cast<size_t>(kProcesses * kValuesEach));
}

TEST(RegistryKey, UpdateValueHoldsOffOtherWritersUntilItIsDone) {
  ScratchFolder folder;
  const std::string path = folder.File("corvox.reg");
  RegistryKey key(path);
  ASSERT_EQ(key.Create(kCorvoxKey), ERROR_SUCCESS);
  ASSERT_EQ(key.SetValue("Record", REG_BINARY, Bytes("ab")), ERROR_SUCCESS);

  std::atomic<bool> otherDone{false};
  std::thread other;
  const LSTATUS updated = key.UpdateValue("Record", [&](const RegistryValue* current, RegistryValue& next) {
    other = std::thread([&] {
      RegistryKey second(path);
      second.Open(kCorvoxKey);
      second.SetValue("Record", REG_BINARY, Bytes("zz"));
      otherDone = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(otherDone.load());  // waiting for this transaction
    next = *current;
    next.data.push_back('c');
    return true;
  });
  other.join();
  EXPECT_EQ(updated, ERROR_SUCCESS);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  ASSERT_EQ(key.QueryValue("Record", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("zz"));  // the other writer came after, not in between

  EXPECT_EQ(key.UpdateValue("Record", [](const RegistryValue*, RegistryValue&) { return false; }), ERROR_CANCELLED);
  ASSERT_EQ(key.QueryValue("Record", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("zz"));
}
