#pragma once
// A private settings store and folder per test, with the virtual audio device reading the
// given WAV file unpaced (or its tone when no file is given).

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"
#include "support/ScratchFolder.h"

class EngineTestEnvironment {
 public:
  EngineTestEnvironment();
  ~EngineTestEnvironment();

  std::filesystem::path Path(const std::string& name) const { return m_folder.File(name); }
  SettingsStore& Settings() { return *m_settings; }

  // Writes a 16-bit PCM WAV file of `frames` frames (sample n of channel c = n * 3 + c) and
  // makes it the virtual device's input. Returns the payload bytes.
  std::vector<uint8_t> UseInputFile(const std::string& name, uint32_t rate, uint16_t channels, uint32_t frames);

 private:
  ScratchFolder m_folder;
  std::unique_ptr<SettingsStore> m_settings;
};
