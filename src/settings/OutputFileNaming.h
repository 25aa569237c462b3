#pragma once

// Output file names: the template the user set ("Audio Filename") with the export format's
// extension, and the numbered name that keeps earlier recordings. UI thread only, like the store.

#include <string>

class SettingsStore;

// ".wma", ".mp3", ".ogg", ".wav" for 200 to 203; empty for any other code.
std::string ExtensionForFormat(int format);

// The extension for the stored "Format" (200 when missing).
std::string GetExtension(SettingsStore& store);

// musicFolder + "/Vantro Audio" (created when missing, failure ignored) + "/vantroaudio" + extension.
std::string DefaultFileNameTemplate(const std::string& musicFolder, const std::string& extension);

// The stored template, its extension replaced by the current one when they differ (a template
// without extension stays as it is); the default template when none is stored.
std::string GetFileNameTemplate(SettingsStore& store);
// The same with the given extension instead of the stored format's.
std::string GetFileNameTemplate(SettingsStore& store, const std::string& extension);

// Where the next recording goes: empty when the template itself is to be used (overwriting on,
// or no recording of this template exists yet), else the template with a number before its
// extension, one above the highest already in the folder ("vantroaudio008.wma"). With
// overwriting off the result never names an existing entry: past 999 (which the scan cannot
// see) and whenever a name is taken, the number goes up until the name is free.
std::string NextOutputFileName(SettingsStore& store);
// The same for the template with the given extension instead of the stored format's.
std::string NextOutputFileName(SettingsStore& store, const std::string& extension);
// The numbered name as with overwriting off, whatever the stored choice: empty when neither
// the template nor a numbered recording of it exists.
std::string NextNumberedFileName(SettingsStore& store, const std::string& extension);
