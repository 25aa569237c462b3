#pragma once

// A settings store on a registry file and music folder of a test's own, with raw access to the
// key for planting values the store itself would never write.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/RegistryKey.h"
#include "support/ScratchFolder.h"
#include "settings/SettingsStore.h"

class SettingsTestStore : public ::testing::Test {
 protected:
  SettingsTestStore() { std::filesystem::create_directory(folder.File("Music")); }

  void Plant(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
    RegistryKey key(RegistryPath());
    ASSERT_EQ(key.Create(SettingsStore::kSubKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetValue(name, type, data), ERROR_SUCCESS);
  }

  // The raw value, or REG_NONE with no bytes when missing.
  RegistryValue Raw(const std::string& name) {
    RegistryValue value;
    RegistryKey key(RegistryPath());
    if (key.Open(SettingsStore::kSubKey) != ERROR_SUCCESS ||
        key.QueryValue(name, value.type, value.data) != ERROR_SUCCESS) {
      return {};
    }
    return value;
  }

  std::string RegistryPath() const { return folder.File("corvox.reg"); }
  std::string MusicFolder() const { return folder.File("Music"); }

  ScratchFolder folder;
  SettingsStore store{RegistryPath(), MusicFolder()};
};
