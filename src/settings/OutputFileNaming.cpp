#include "settings/OutputFileNaming.h"

#include <algorithm>
#include <cstdio>

#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"
#include "settings/SpawnFileIterator.h"

namespace {

// templateStem + the number as "%03d" + extension, the first such name that is free.
std::string FirstFreeNumberedName(const std::string& templateStem, const std::string& extension, long long number) {
  for (;; ++number) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%03lld", number);
    const std::string candidate = templateStem + suffix + extension;
    if (!PathFileExists(candidate)) {
      return candidate;
    }
  }
}

}  // namespace

std::string ExtensionForFormat(int format) {
  switch (format) {
    case kFormatWma:
      return ".wma";
    case kFormatMp3:
      return ".mp3";
    case kFormatOgg:
      return ".ogg";
    case kFormatWav:
      return ".wav";
    default:
      return {};
  }
}

std::string GetExtension(SettingsStore& store) {
  int format = static_cast<int>(kFormatSetting.defaultValue);
  store.GetFormat(format);
  return ExtensionForFormat(format);
}

std::string DefaultFileNameTemplate(const std::string& musicFolder, const std::string& extension) {
  const std::string folder = musicFolder + "/Vantro Audio";
  CreateDirectory(folder);
  return PathAppend(folder, "vantroaudio") + extension;
}

std::string GetFileNameTemplate(SettingsStore& store) { return GetFileNameTemplate(store, GetExtension(store)); }

std::string GetFileNameTemplate(SettingsStore& store, const std::string& extension) {
  std::string fileName;
  // On failure this is the default template, with the stored format's extension.
  store.GetAudioFilename(fileName);
  const std::string stored = PathFindExtension(fileName);
  if (!stored.empty() && stored != extension) {
    fileName.replace(fileName.size() - stored.size(), stored.size(), extension);
  }
  return fileName;
}

std::string NextOutputFileName(SettingsStore& store) { return NextOutputFileName(store, GetExtension(store)); }

std::string NextOutputFileName(SettingsStore& store, const std::string& extension) {
  if (store.GetOverwritingBehaviour()) {
    return {};
  }
  return NextNumberedFileName(store, extension);
}

std::string NextNumberedFileName(SettingsStore& store, const std::string& extension) {
  const std::string fileTemplate = GetFileNameTemplate(store, extension);
  // The template's own extension: the format's, or none for a template stored without one.
  const std::string templateExtension = PathFindExtension(fileTemplate);
  const std::string folder = PathRemoveFileSpec(fileTemplate);
  CSpawnFileIterator iterator(folder.empty() ? "." : folder, PathRemoveExtension(PathFindFileName(fileTemplate)),
                              templateExtension);
  bool anyRecording = false;
  int highest = 0;
  for (std::string name = iterator.First(); !name.empty(); name = iterator.Next()) {
    anyRecording = true;
    highest = std::max(highest, iterator.NumberOf(name));
  }
  if (!anyRecording && !PathFileExists(fileTemplate)) {
    return {};
  }
  return FirstFreeNumberedName(fileTemplate.substr(0, fileTemplate.size() - templateExtension.size()),
                               templateExtension, static_cast<long long>(highest) + 1);
}
