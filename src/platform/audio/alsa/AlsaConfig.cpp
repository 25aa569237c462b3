#include "platform/audio/alsa/AlsaConfig.h"

#include <alsa/asoundlib.h>

#include "platform/audio/alsa/AlsaError.h"

HRESULT AlsaConfig::LoadFile(const std::string& path, std::shared_ptr<const AlsaConfig>* config) {
  if (config == nullptr) return E_POINTER;
  config->reset();
  snd_config_t* top = nullptr;
  int error = snd_config_top(&top);
  if (error < 0) return AlsaFailure(error, "The ALSA configuration could not be created");
  std::shared_ptr<AlsaConfig> loaded(new AlsaConfig(top));
  snd_input_t* input = nullptr;
  error = snd_input_stdio_open(&input, path.c_str(), "r");
  if (error < 0) return AlsaFailure(error, "The ALSA configuration " + path + " could not be opened");
  error = snd_config_load(top, input);
  snd_input_close(input);
  if (error < 0) return AlsaFailure(error, "The ALSA configuration " + path + " could not be read");
  *config = std::move(loaded);
  return S_OK;
}

AlsaConfig::~AlsaConfig() { snd_config_delete(m_top); }
