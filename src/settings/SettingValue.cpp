#include "settings/SettingValue.h"

#include <algorithm>

bool DecodeDwordValue(const RegistryValue& value, uint32_t& number) {
  if (value.type != REG_DWORD || value.data.size() != 4) {
    return false;
  }
  number = LoadLittleEndian<uint32_t>(value.data.data());
  return true;
}

RegistryValue EncodeDwordValue(uint32_t number) {
  RegistryValue value{REG_DWORD, std::vector<uint8_t>(4)};
  StoreLittleEndian(value.data.data(), number);
  return value;
}

bool DecodeStringValue(const RegistryValue& value, size_t maxBytes, std::string& text) {
  if ((value.type != REG_SZ && value.type != REG_EXPAND_SZ) || value.data.empty() || value.data.size() > maxBytes ||
      value.data.back() != 0) {
    return false;
  }
  text.assign(value.data.begin(), std::find(value.data.begin(), value.data.end(), 0));
  return true;
}

RegistryValue EncodeStringValue(const std::string& text) {
  RegistryValue value{REG_SZ, std::vector<uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}
