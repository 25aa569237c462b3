#include "settings/SettingDeclarations.h"

#include <cstdio>

std::string DeviceSettingsValueName(int position) {
  char name[64];
  std::snprintf(name, sizeof name, kDeviceSettingsSetting.name, position);
  return name;
}
