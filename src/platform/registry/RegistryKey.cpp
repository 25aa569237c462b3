#include "platform/registry/RegistryKey.h"

#include "platform/registry/RegistryText.h"

RegistryKey::RegistryKey() : RegistryKey(RegistryStore::DefaultPath()) {}

RegistryKey::RegistryKey(std::string storePath) : m_store(std::move(storePath)) {}

LSTATUS RegistryKey::Open(const std::string& subKey) {
  Close();
  if (!IsValidKeyPath(subKey)) {
    return ERROR_INVALID_PARAMETER;
  }
  RegistryKeyMap keys;
  const LSTATUS result = m_store.Read(keys);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  if (keys.find(subKey) == keys.end()) {
    return ERROR_FILE_NOT_FOUND;
  }
  m_subKey = subKey;
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::Create(const std::string& subKey) {
  Close();
  if (!IsValidKeyPath(subKey)) {
    return ERROR_INVALID_PARAMETER;
  }
  const LSTATUS result = m_store.Update([&](RegistryKeyMap& keys) {
    for (size_t separator = subKey.find('\\'); separator != std::string::npos;
         separator = subKey.find('\\', separator + 1)) {
      keys[subKey.substr(0, separator)];
    }
    keys[subKey];
    return ERROR_SUCCESS;
  });
  if (result == ERROR_SUCCESS) {
    m_subKey = subKey;
  }
  return result;
}

void RegistryKey::Close() { m_subKey.clear(); }

LSTATUS RegistryKey::ReadValues(RegistryKeyMap& keys, const RegistryValueMap*& values) const {
  if (!IsOpen()) {
    return ERROR_INVALID_HANDLE;
  }
  const LSTATUS result = m_store.Read(keys);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  const auto key = keys.find(m_subKey);
  if (key == keys.end()) {
    return ERROR_FILE_NOT_FOUND;
  }
  values = &key->second;
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::QueryValue(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) const {
  RegistryKeyMap keys;
  const RegistryValueMap* values = nullptr;
  const LSTATUS result = ReadValues(keys, values);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  const auto value = values->find(name);
  if (value == values->end()) {
    return ERROR_FILE_NOT_FOUND;
  }
  type = value->second.type;
  data = value->second.data;
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::SetValue(const std::string& name, uint32_t type, std::span<const uint8_t> data) const {
  if (!IsOpen()) {
    return ERROR_INVALID_HANDLE;
  }
  if (!IsValidValueName(name)) {
    return ERROR_INVALID_PARAMETER;
  }
  return m_store.Update([&](RegistryKeyMap& keys) {
    keys[m_subKey][name] = RegistryValue{type, std::vector<uint8_t>(data.begin(), data.end())};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegistryKey::UpdateValue(
    const std::string& name,
    const std::function<bool(const RegistryValue* current, RegistryValue& next)>& change) const {
  if (!IsOpen()) {
    return ERROR_INVALID_HANDLE;
  }
  if (!IsValidValueName(name)) {
    return ERROR_INVALID_PARAMETER;
  }
  return m_store.Update([&](RegistryKeyMap& keys) {
    RegistryValueMap& values = keys[m_subKey];
    const auto found = values.find(name);
    RegistryValue next;
    if (!change(found == values.end() ? nullptr : &found->second, next)) {
      return ERROR_CANCELLED;
    }
    values[name] = std::move(next);
    return ERROR_SUCCESS;
  });
}

LSTATUS RegistryKey::DeleteValue(const std::string& name) const {
  if (!IsOpen()) {
    return ERROR_INVALID_HANDLE;
  }
  return m_store.Update([&](RegistryKeyMap& keys) {
    const auto key = keys.find(m_subKey);
    if (key == keys.end() || key->second.erase(name) == 0) {
      return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
  });
}

LSTATUS RegistryKey::EnumValues(std::vector<std::pair<std::string, RegistryValue>>& values) const {
  values.clear();
  RegistryKeyMap keys;
  const RegistryValueMap* keyValues = nullptr;
  const LSTATUS result = ReadValues(keys, keyValues);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  values.assign(keyValues->begin(), keyValues->end());
  return ERROR_SUCCESS;
}
