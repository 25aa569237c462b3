#pragma once

// A handle on one key of the per-user registry (the stand-in for HKEY_CURRENT_USER), opened by
// its sub-key path ("Software\Vantro Solutions\Corvox"). The handle holds no file open: every
// call is one self-contained read or read-modify-write of the store (see RegistryStore for
// locking), so handles may be used from any thread.

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryStore.h"
#include "platform/registry/RegistryTypes.h"

class RegistryKey {
 public:
  // A closed handle on the current user's registry.
  RegistryKey();
  // A closed handle on the registry held in storePath.
  explicit RegistryKey(std::string storePath);

  // Opens an existing key: ERROR_FILE_NOT_FOUND when there is none.
  LSTATUS Open(const std::string& subKey);
  // Opens the key, creating it and any missing parent keys.
  LSTATUS Create(const std::string& subKey);
  void Close();
  bool IsOpen() const { return !m_subKey.empty(); }

  // ERROR_FILE_NOT_FOUND when the value (or the key) is missing.
  LSTATUS QueryValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) const;
  // Stores type and bytes exactly as given (recreating the key if it was deleted meanwhile).
  LSTATUS SetValue(const std::string& name, uint32_t type, std::span<const uint8_t> data) const;
  // Reads the value (null when missing) and stores what `change` makes of it, in one
  // transaction, so no other process's write falls in between. ERROR_CANCELLED, with nothing
  // written, when `change` returns false.
  LSTATUS UpdateValue(const std::string& name,
                      const std::function<bool(const RegistryValue* current, RegistryValue& next)>& change) const;
  LSTATUS DeleteValue(const std::string& name) const;
  // Every value of the key, names in the registry's (case-blind alphabetical) order.
  LSTATUS EnumValues(std::vector<std::pair<std::string, RegistryValue>>& values) const;

 private:
  // Reads the store and finds this key's values; ERROR_FILE_NOT_FOUND when the key is gone.
  LSTATUS ReadValues(RegistryKeyMap& keys, const RegistryValueMap*& values) const;

  RegistryStore m_store;
  std::string m_subKey;  // empty while closed
};
