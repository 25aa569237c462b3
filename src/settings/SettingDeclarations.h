#pragma once

// Every value of the settings key, declared once: name, type, size and default. The typed
// accessors of SettingsStore, its start-up pass and the command line all work from these.

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/DeviceSettings.h"
#include "settings/Mp3Configuration.h"
#include "settings/OggConfiguration.h"
#include "settings/WavConfiguration.h"
#include "settings/WmaConfiguration.h"

// A REG_DWORD value of 4 bytes. Booleans are DWORDs with the range 0 to 1.
struct DwordSetting {
  const char* name;
  uint32_t defaultValue;  // what the start-up pass writes, for values it writes
  uint32_t minValue = 0;  // the range a user may set from the command line
  uint32_t maxValue = UINT32_MAX;
  bool hasDefault = true;  // false for markers whose absence means something
};

// A REG_SZ value (REG_EXPAND_SZ is read as well), stored with its terminating zero.
struct StringSetting {
  const char* name;
  size_t maxBytes;  // including the terminating zero
};

// A REG_BINARY value holding a Record (Record::kSizeBytes bytes; default Record{}).
template <typename Record>
struct RecordSetting {
  using RecordType = Record;
  const char* name;  // for device settings a pattern with the device position as %d
};

inline constexpr DwordSetting kFormatSetting{"Format", 200, 200, 203};
inline constexpr DwordSetting kCurrentDeviceSetting{"Current Device", 0};
inline constexpr DwordSetting kPreviewAudioSetting{"Preview Audio", 0, 0, 3};
inline constexpr DwordSetting kPlaybackVolSetting{"Playback Vol", 70, 0, 1000};
inline constexpr DwordSetting kOverwritingBehaviourSetting{"Overwriting Behaviour", 0, 0, 1};
inline constexpr DwordSetting kAutoUpdateSetting{"Auto Update", 1, 0, 1};
inline constexpr DwordSetting kShowToolTipsSetting{"Show ToolTips", 1, 0, 1};
// Seconds since 1970-01-01 UTC, low 32 bits; not written by the start-up pass.
inline constexpr DwordSetting kLastCheckedSetting{"Last Checked", 0, 0, UINT32_MAX, false};
// First-run marker; only its presence matters; not written by the start-up pass.
inline constexpr DwordSetting kVirginSetting{"Virgin", 0, 0, UINT32_MAX, false};

inline constexpr StringSetting kAudioFilenameSetting{"Audio Filename", 32768};
inline constexpr StringSetting kOpenDirectorySetting{"Open Directory", 256};

inline constexpr RecordSetting<Mp3Configuration> kMp3ConfigurationSetting{"MP3 Configuration"};
inline constexpr RecordSetting<WmaConfiguration> kWmaConfigurationSetting{"WMA Configuration"};
inline constexpr RecordSetting<OggConfiguration> kOggConfigurationSetting{"OGG Configuration"};
inline constexpr RecordSetting<WavConfiguration> kWavConfigurationSetting{"WAV Configuration"};
inline constexpr RecordSetting<DeviceSettings> kDeviceSettingsSetting{"Device Settings %d"};

// "Device Settings <position>".
std::string DeviceSettingsValueName(int position);
