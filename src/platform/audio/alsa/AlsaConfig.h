#pragma once
// An ALSA configuration of our own, read from a file, for opening devices it defines instead
// of the system's (tests define plugin devices this way without touching the environment).
// Immutable once loaded; any thread may use it.

#include <memory>
#include <string>

#include "platform/media/HResult.h"

typedef struct _snd_config snd_config_t;

class AlsaConfig {
 public:
  // Fails with a readable text when the file cannot be read or parsed.
  static HRESULT LoadFile(const std::string& path, std::shared_ptr<const AlsaConfig>* config);
  ~AlsaConfig();
  AlsaConfig(const AlsaConfig&) = delete;
  AlsaConfig& operator=(const AlsaConfig&) = delete;

  snd_config_t* Get() const { return m_top; }

 private:
  explicit AlsaConfig(snd_config_t* top) : m_top(top) {}

  snd_config_t* const m_top;
};
