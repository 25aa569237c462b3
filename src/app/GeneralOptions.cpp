#include "app/GeneralOptions.h"

#include "platform/shell/PathHelpers.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kChooserTitle = "Choose the destination file";
constexpr const char* kChooserFilter =
    "Audio Files (*.wma, *.mp3, *.ogg, *.wav)|*.wma;*.mp3;*.ogg;*.wav;|Windows Media Audio Files (*.wma)|*.wma;|"
    "MP3 Files (*.mp3)|*.mp3;|Ogg-Vorbis Audio Files (*.ogg)|*.ogg;|WAV Files (*.wav)|*.wav;||";
// The chooser's buffers for the file name and the folder, in characters.
constexpr size_t kChooserPathChars = 32768;

bool ReadFlag(SettingsStore& store, const DwordSetting& setting, bool absent) {
  uint32_t value = absent ? 1 : 0;
  store.ReadDword(setting, value);
  return value == 1;
}

}  // namespace

void FilenameOptions::Load(SettingsStore& store) {
  store.GetAudioFilename(fileNameTemplate);
  overwrite = store.GetOverwritingBehaviour();
}

void FilenameOptions::Store(SettingsStore& store) const {
  store.SetAudioFilename(fileNameTemplate);
  store.SetOverwritingBehaviour(overwrite);
}

void AudioOptions::Load(SettingsStore& store) {
  uint32_t flags = 0;
  store.GetPreviewAudio(flags);
  previewWanted = (flags & kPreviewWantedBit) != 0;
}

void AudioOptions::Store(SettingsStore& store) const {
  uint32_t flags = 0;
  store.GetPreviewAudio(flags);
  store.SetPreviewAudio(WithPreviewWanted(flags, previewWanted));
}

void MiscellaneousOptions::Load(SettingsStore& store) {
  autoUpdate = ReadFlag(store, kAutoUpdateSetting, true);
  showToolTips = store.GetShowToolTips();
}

void MiscellaneousOptions::Store(SettingsStore& store) const {
  store.SetAutoUpdate(autoUpdate);
  store.SetShowToolTips(showToolTips);
}

SaveFileDialogOptions DestinationChooserOptions(const std::string& fileNameTemplate, const std::string& extension,
                                                bool overwrite) {
  SaveFileDialogOptions options;
  options.title = kChooserTitle;
  options.filter = kChooserFilter;
  options.defaultExtension = extension;
  options.initialFile = fileNameTemplate.substr(0, kChooserPathChars - 1);
  options.initialFolder = PathRemoveFileSpec(options.initialFile);
  options.maxPathChars = kChooserPathChars;
  options.hideReadOnly = true;
  options.overwritePrompt = !overwrite;
  return options;
}
