#pragma once

// Finds the declaration of a stored value by its name, for tools that address values by name.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/SettingDeclarations.h"

using SettingDeclaration = std::variant<const DwordSetting*, const StringSetting*, const RecordSetting<DeviceSettings>*,
                                        const RecordSetting<Mp3Configuration>*, const RecordSetting<WmaConfiguration>*,
                                        const RecordSetting<OggConfiguration>*, const RecordSetting<WavConfiguration>*>;

struct NamedSetting {
  std::string valueName;  // as the store spells it ("Device Settings 3")
  SettingDeclaration declaration;
};

// Every setting with a fixed name, in a stable order (device settings are not among them).
std::span<const NamedSetting> FixedSettings();

// Matches without regard to case, like the registry; "Device Settings N" for any N from 0 to
// INT_MAX written without leading zeros. Nothing for names the settings do not declare.
std::optional<NamedSetting> FindSetting(std::string_view valueName);
