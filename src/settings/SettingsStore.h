#pragma once

// The user's persistent choices: the values of one registry key, "Software\Vantro Solutions\Corvox"
// of the current user, each with a typed getter and setter.
//
// Every accessor opens the key (creating it when opening fails), reads or writes exactly one
// value and closes it again, so no handle stays open between calls. Getters leave the caller's
// default in place and return false when the value is missing or malformed (wrong type or size);
// when the key can neither be opened nor created every getter fails and every setter does
// nothing. Setters return whether the write succeeded.
//
// Used from the user-interface thread only (the command line is single-threaded too); each call
// is self-contained, and the registry file serialises concurrent processes itself.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryKey.h"
#include "settings/SettingDeclarations.h"
#include "settings/SettingValue.h"

class SettingsStore {
 public:
  static constexpr const char* kSubKey = "Software\\Vantro Solutions\\Corvox";

  // The current user's registry and music folder.
  SettingsStore();
  // The registry file at registryPath and the given music folder (for tests and tools).
  SettingsStore(std::string registryPath, std::string musicFolder);

  // Export format: 200 WMA, 201 MP3, 202 OGG, 203 WAV.
  bool GetFormat(int& format);
  bool SetFormat(int format);
  // Position of the chosen capture device in the device list.
  bool GetCurrentDevice(int& position);
  bool SetCurrentDevice(int position);
  // Bit value 1: preview possible for the selected input; bit value 2: the user wants preview.
  bool GetPreviewAudio(uint32_t& flags);
  bool SetPreviewAudio(uint32_t flags);
  // Playback volume slider position, 0 to 1000.
  bool GetPlaybackVol(int& position);
  bool SetPlaybackVol(int position);
  // Seconds since 1970-01-01 UTC (low 32 bits) of the last update check.
  bool GetLastChecked(uint32_t& seconds);
  bool SetLastChecked(uint32_t seconds);
  bool GetVirgin(uint32_t& marker);
  bool SetVirgin(uint32_t marker);

  // Booleans: the stored value is not 0; false when missing.
  bool GetOverwritingBehaviour();
  bool SetOverwritingBehaviour(bool overwrite);
  bool GetAutoUpdate();
  bool SetAutoUpdate(bool autoUpdate);
  // Tips are on only while the value is 1; on when missing.
  bool GetShowToolTips();
  bool SetShowToolTips(bool show);

  // Output file name template. On failure yields the default template for the current format
  // (which creates its folder) and returns false.
  bool GetAudioFilename(std::string& fileName);
  // Refuses (false) a name that could not be read back: too long or holding a zero byte.
  bool SetAudioFilename(const std::string& fileName);
  // Folder last used to open a file. On failure yields GetAudioFilename's result, returns false.
  bool GetOpenDirectory(std::string& folder);
  bool SetOpenDirectory(const std::string& folder);

  // Records: the caller's record holds the defaults to keep (see DecodeRecordValue).
  bool GetDeviceSettings(int position, DeviceSettings& settings);
  bool SetDeviceSettings(int position, const DeviceSettings& settings);
  bool GetMp3Configuration(Mp3Configuration& configuration);
  bool SetMp3Configuration(const Mp3Configuration& configuration);
  bool GetWmaConfiguration(WmaConfiguration& configuration);
  bool SetWmaConfiguration(const WmaConfiguration& configuration);
  bool GetOggConfiguration(OggConfiguration& configuration);
  bool SetOggConfiguration(const OggConfiguration& configuration);
  bool GetWavConfiguration(WavConfiguration& configuration);
  bool SetWavConfiguration(const WavConfiguration& configuration);

  // Writes the default of every value the application relies on that is missing or malformed,
  // in the application's fixed order; reads "Audio Filename" on the way, which creates the
  // default recordings folder.
  void RunStartupPass();

  // The music folder the default template lives in.
  std::string MusicFolder() const;

  // Access by declaration or value name, for the typed accessors above and the command line.
  bool ReadValue(const std::string& name, RegistryValue& value);
  bool WriteValue(const std::string& name, const RegistryValue& value);
  bool ReadAllValues(std::vector<std::pair<std::string, RegistryValue>>& values);
  // Read-modify-write of one value in one transaction, so a concurrent writer's change is not
  // lost; false when `change` refuses (nothing is written) or the store cannot be written.
  bool UpdateValue(const std::string& name,
                   const std::function<bool(const RegistryValue* current, RegistryValue& next)>& change);
  bool ReadDword(const DwordSetting& setting, uint32_t& number);
  bool WriteDword(const DwordSetting& setting, uint32_t number);
  bool ReadString(const StringSetting& setting, std::string& text);
  bool WriteString(const StringSetting& setting, const std::string& text);

  template <typename Record>
  bool ReadRecord(const std::string& name, Record& record) {
    RegistryValue value;
    return ReadValue(name, value) && DecodeRecordValue(value, record);
  }

  template <typename Record>
  bool WriteRecord(const std::string& name, const Record& record) {
    return WriteValue(name, EncodeRecordValue(record));
  }

 private:
  // Opens m_key on kSubKey, creating the key when opening fails.
  bool OpenKey();
  template <typename Record>
  void EnsureRecord(const std::string& name);
  void EnsureDword(const DwordSetting& setting);

  RegistryKey m_key;                         // open only within one accessor call
  std::optional<std::string> m_musicFolder;  // none: ask the shell
};
