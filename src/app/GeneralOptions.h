#pragma once
// What the General Options pages edit, apart from their widgets: each page's values, read from
// and written to the settings store, and the destination chooser's description. No Qt here.
// User-interface thread only, like the store.

#include <cstdint>
#include <string>

#include "platform/ui/FileDialog.h"

class SettingsStore;

// "Preview Audio" bit set by the user's wish; bit value 1 belongs to the audio source.
constexpr uint32_t kPreviewWantedBit = 2;

// `flags` with only the user's preview bit set or cleared.
constexpr uint32_t WithPreviewWanted(uint32_t flags, bool wanted) {
  return wanted ? flags | kPreviewWantedBit : flags & ~kPreviewWantedBit;
}

// "Manage Filenames": the output file name template and what happens when it exists.
struct FilenameOptions {
  std::string fileNameTemplate;
  bool overwrite = false;

  void Load(SettingsStore& store);
  void Store(SettingsStore& store) const;
};

// "Audio Options": whether the user wants to hear the input while recording.
struct AudioOptions {
  bool previewWanted = false;

  void Load(SettingsStore& store);
  // Rewrites "Preview Audio" as it is now with only the user's bit changed.
  void Store(SettingsStore& store) const;
};

// "Miscellaneous": explanatory tooltips and automatic update checks.
struct MiscellaneousOptions {
  bool showToolTips = true;
  bool autoUpdate = true;

  void Load(SettingsStore& store);
  void Store(SettingsStore& store) const;
};

// The save dialog that picks a new template: starts at the template (file and folder), adds
// the export format's `extension` to a name without one, and asks before an existing file is
// chosen only while recordings are numbered rather than overwritten.
SaveFileDialogOptions DestinationChooserOptions(const std::string& fileNameTemplate, const std::string& extension,
                                                bool overwrite);
