#include "settings/SettingsStore.h"

#include "platform/shell/UserFolders.h"
#include "settings/OutputFileNaming.h"

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(std::string registryPath, std::string musicFolder)
    : m_key(std::move(registryPath)), m_musicFolder(std::move(musicFolder)) {}

std::string SettingsStore::MusicFolder() const { return m_musicFolder ? *m_musicFolder : GetMusicFolder(); }

bool SettingsStore::OpenKey() { return m_key.Open(kSubKey) == ERROR_SUCCESS || m_key.Create(kSubKey) == ERROR_SUCCESS; }

bool SettingsStore::ReadValue(const std::string& name, RegistryValue& value) {
  if (!OpenKey()) {
    return false;
  }
  const bool found = m_key.QueryValue(name, value.type, value.data) == ERROR_SUCCESS;
  m_key.Close();
  return found;
}

bool SettingsStore::WriteValue(const std::string& name, const RegistryValue& value) {
  if (!OpenKey()) {
    return false;
  }
  const bool written = m_key.SetValue(name, value.type, value.data) == ERROR_SUCCESS;
  m_key.Close();
  return written;
}

bool SettingsStore::UpdateValue(const std::string& name,
                                const std::function<bool(const RegistryValue* current, RegistryValue& next)>& change) {
  if (!OpenKey()) {
    return false;
  }
  const bool written = m_key.UpdateValue(name, change) == ERROR_SUCCESS;
  m_key.Close();
  return written;
}

bool SettingsStore::ReadAllValues(std::vector<std::pair<std::string, RegistryValue>>& values) {
  if (!OpenKey()) {
    return false;
  }
  const bool read = m_key.EnumValues(values) == ERROR_SUCCESS;
  m_key.Close();
  return read;
}

bool SettingsStore::ReadDword(const DwordSetting& setting, uint32_t& number) {
  RegistryValue value;
  return ReadValue(setting.name, value) && DecodeDwordValue(value, number);
}

bool SettingsStore::WriteDword(const DwordSetting& setting, uint32_t number) {
  return WriteValue(setting.name, EncodeDwordValue(number));
}

bool SettingsStore::ReadString(const StringSetting& setting, std::string& text) {
  RegistryValue value;
  return ReadValue(setting.name, value) && DecodeStringValue(value, setting.maxBytes, text);
}

bool SettingsStore::WriteString(const StringSetting& setting, const std::string& text) {
  if (text.size() + 1 > setting.maxBytes || text.find('\0') != std::string::npos) {
    return false;
  }
  return WriteValue(setting.name, EncodeStringValue(text));
}

namespace {

template <typename Number>
bool ReadInto(SettingsStore& store, const DwordSetting& setting, Number& result) {
  uint32_t number = 0;
  if (!store.ReadDword(setting, number)) {
    return false;
  }
  result = static_cast<Number>(number);
  return true;
}

bool ReadBoolean(SettingsStore& store, const DwordSetting& setting) {
  uint32_t number = 0;
  return store.ReadDword(setting, number) && number != 0;
}

}  // namespace

bool SettingsStore::GetFormat(int& format) { return ReadInto(*this, kFormatSetting, format); }
bool SettingsStore::SetFormat(int format) { return WriteDword(kFormatSetting, static_cast<uint32_t>(format)); }
bool SettingsStore::GetCurrentDevice(int& position) { return ReadInto(*this, kCurrentDeviceSetting, position); }
bool SettingsStore::SetCurrentDevice(int position) {
  return WriteDword(kCurrentDeviceSetting, static_cast<uint32_t>(position));
}
bool SettingsStore::GetPreviewAudio(uint32_t& flags) { return ReadDword(kPreviewAudioSetting, flags); }
bool SettingsStore::SetPreviewAudio(uint32_t flags) { return WriteDword(kPreviewAudioSetting, flags); }
bool SettingsStore::GetPlaybackVol(int& position) { return ReadInto(*this, kPlaybackVolSetting, position); }
bool SettingsStore::SetPlaybackVol(int position) {
  return WriteDword(kPlaybackVolSetting, static_cast<uint32_t>(position));
}
bool SettingsStore::GetLastChecked(uint32_t& seconds) { return ReadDword(kLastCheckedSetting, seconds); }
bool SettingsStore::SetLastChecked(uint32_t seconds) { return WriteDword(kLastCheckedSetting, seconds); }
bool SettingsStore::GetVirgin(uint32_t& marker) { return ReadDword(kVirginSetting, marker); }
bool SettingsStore::SetVirgin(uint32_t marker) { return WriteDword(kVirginSetting, marker); }

bool SettingsStore::GetOverwritingBehaviour() { return ReadBoolean(*this, kOverwritingBehaviourSetting); }
bool SettingsStore::SetOverwritingBehaviour(bool overwrite) {
  return WriteDword(kOverwritingBehaviourSetting, overwrite ? 1 : 0);
}
bool SettingsStore::GetAutoUpdate() { return ReadBoolean(*this, kAutoUpdateSetting); }
bool SettingsStore::SetAutoUpdate(bool autoUpdate) { return WriteDword(kAutoUpdateSetting, autoUpdate ? 1 : 0); }
bool SettingsStore::GetShowToolTips() {
  uint32_t show = kShowToolTipsSetting.defaultValue;
  ReadDword(kShowToolTipsSetting, show);
  return show == 1;
}
bool SettingsStore::SetShowToolTips(bool show) { return WriteDword(kShowToolTipsSetting, show ? 1 : 0); }

bool SettingsStore::GetAudioFilename(std::string& fileName) {
  if (ReadString(kAudioFilenameSetting, fileName)) {
    return true;
  }
  int format = static_cast<int>(kFormatSetting.defaultValue);
  GetFormat(format);
  fileName = DefaultFileNameTemplate(MusicFolder(), ExtensionForFormat(format));
  return false;
}

bool SettingsStore::SetAudioFilename(const std::string& fileName) {
  return WriteString(kAudioFilenameSetting, fileName);
}

bool SettingsStore::GetOpenDirectory(std::string& folder) {
  if (ReadString(kOpenDirectorySetting, folder)) {
    return true;
  }
  GetAudioFilename(folder);
  return false;
}

bool SettingsStore::SetOpenDirectory(const std::string& folder) { return WriteString(kOpenDirectorySetting, folder); }

bool SettingsStore::GetDeviceSettings(int position, DeviceSettings& settings) {
  return ReadRecord(DeviceSettingsValueName(position), settings);
}

bool SettingsStore::SetDeviceSettings(int position, const DeviceSettings& settings) {
  return WriteRecord(DeviceSettingsValueName(position), settings);
}

bool SettingsStore::GetMp3Configuration(Mp3Configuration& configuration) {
  return ReadRecord(kMp3ConfigurationSetting.name, configuration);
}

bool SettingsStore::SetMp3Configuration(const Mp3Configuration& configuration) {
  return WriteRecord(kMp3ConfigurationSetting.name, configuration);
}

bool SettingsStore::GetWmaConfiguration(WmaConfiguration& configuration) {
  return ReadRecord(kWmaConfigurationSetting.name, configuration);
}

bool SettingsStore::SetWmaConfiguration(const WmaConfiguration& configuration) {
  return WriteRecord(kWmaConfigurationSetting.name, configuration);
}

bool SettingsStore::GetOggConfiguration(OggConfiguration& configuration) {
  return ReadRecord(kOggConfigurationSetting.name, configuration);
}

bool SettingsStore::SetOggConfiguration(const OggConfiguration& configuration) {
  return WriteRecord(kOggConfigurationSetting.name, configuration);
}

bool SettingsStore::GetWavConfiguration(WavConfiguration& configuration) {
  return ReadRecord(kWavConfigurationSetting.name, configuration);
}

bool SettingsStore::SetWavConfiguration(const WavConfiguration& configuration) {
  return WriteRecord(kWavConfigurationSetting.name, configuration);
}

void SettingsStore::EnsureDword(const DwordSetting& setting) {
  uint32_t number = 0;
  if (!ReadDword(setting, number)) {
    WriteDword(setting, setting.defaultValue);
  }
}

template <typename Record>
void SettingsStore::EnsureRecord(const std::string& name) {
  Record record;
  if (!ReadRecord(name, record)) {
    WriteRecord(name, Record{});
  }
}

void SettingsStore::RunStartupPass() {
  EnsureDword(kAutoUpdateSetting);
  EnsureDword(kCurrentDeviceSetting);
  EnsureRecord<DeviceSettings>(DeviceSettingsValueName(0));
  std::string fileName;
  GetAudioFilename(fileName);
  EnsureDword(kFormatSetting);
  EnsureRecord<Mp3Configuration>(kMp3ConfigurationSetting.name);
  EnsureRecord<OggConfiguration>(kOggConfigurationSetting.name);
  EnsureDword(kOverwritingBehaviourSetting);
  EnsureDword(kPlaybackVolSetting);
  EnsureDword(kPreviewAudioSetting);
  EnsureDword(kShowToolTipsSetting);
  EnsureRecord<WavConfiguration>(kWavConfigurationSetting.name);
  EnsureRecord<WmaConfiguration>(kWmaConfigurationSetting.name);
}
