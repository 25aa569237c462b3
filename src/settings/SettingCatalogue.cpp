#include "settings/SettingCatalogue.h"

#include <array>
#include <charconv>

#include "platform/registry/RegistryTypes.h"

namespace {

bool SameName(std::string_view left, std::string_view right) {
  const RegistryNameLess less;
  return !less(left, right) && !less(right, left);
}

const std::array<NamedSetting, 15>& FixedSettingArray() {
  static const std::array<NamedSetting, 15> settings{{
      {kFormatSetting.name, &kFormatSetting},
      {kCurrentDeviceSetting.name, &kCurrentDeviceSetting},
      {kPreviewAudioSetting.name, &kPreviewAudioSetting},
      {kPlaybackVolSetting.name, &kPlaybackVolSetting},
      {kOverwritingBehaviourSetting.name, &kOverwritingBehaviourSetting},
      {kAutoUpdateSetting.name, &kAutoUpdateSetting},
      {kShowToolTipsSetting.name, &kShowToolTipsSetting},
      {kLastCheckedSetting.name, &kLastCheckedSetting},
      {kVirginSetting.name, &kVirginSetting},
      {kAudioFilenameSetting.name, &kAudioFilenameSetting},
      {kOpenDirectorySetting.name, &kOpenDirectorySetting},
      {kMp3ConfigurationSetting.name, &kMp3ConfigurationSetting},
      {kWmaConfigurationSetting.name, &kWmaConfigurationSetting},
      {kOggConfigurationSetting.name, &kOggConfigurationSetting},
      {kWavConfigurationSetting.name, &kWavConfigurationSetting},
  }};
  return settings;
}

// The device position in "Device Settings N", or nothing.
std::optional<int> DevicePosition(std::string_view valueName) {
  const std::string_view pattern = kDeviceSettingsSetting.name;
  const std::string_view prefix = pattern.substr(0, pattern.find("%d"));
  if (valueName.size() <= prefix.size() || !SameName(valueName.substr(0, prefix.size()), prefix)) {
    return std::nullopt;
  }
  const std::string_view digits = valueName.substr(prefix.size());
  int position = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), position);
  if (error != std::errc() || end != digits.data() + digits.size() || position < 0 ||
      (digits.size() > 1 && digits.front() == '0') || digits.front() == '+' || digits.front() == '-') {
    return std::nullopt;
  }
  return position;
}

}  // namespace

std::span<const NamedSetting> FixedSettings() { return FixedSettingArray(); }

std::optional<NamedSetting> FindSetting(std::string_view valueName) {
  for (const NamedSetting& setting : FixedSettings()) {
    if (SameName(setting.valueName, valueName)) {
      return setting;
    }
  }
  if (const std::optional<int> position = DevicePosition(valueName)) {
    return NamedSetting{DeviceSettingsValueName(*position), &kDeviceSettingsSetting};
  }
  return std::nullopt;
}
