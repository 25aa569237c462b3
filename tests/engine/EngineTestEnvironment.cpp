#include "engine/EngineTestEnvironment.h"

#include <cstdlib>

#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/wmf/AsfWriterRegistration.h"
#include "support/WavBytes.h"

EngineTestEnvironment::EngineTestEnvironment() {
  std::filesystem::create_directories(Path("music"));
  m_settings = std::make_unique<SettingsStore>(Path("corvox.reg").string(), Path("music").string());
  setenv("CORVOX_VIRTUAL_PACE", "0", 1);
  unsetenv("CORVOX_VIRTUAL_INPUT");
  SelectAudioBackend("virtual");
  RegisterAudioCompressors();
  RegisterAsfWriter();
}

EngineTestEnvironment::~EngineTestEnvironment() { unsetenv("CORVOX_VIRTUAL_INPUT"); }

std::vector<uint8_t> EngineTestEnvironment::UseInputFile(const std::string& name, uint32_t rate, uint16_t channels,
                                                         uint32_t frames) {
  std::vector<int32_t> values;
  for (uint32_t n = 0; n < frames; ++n)
    for (uint16_t c = 0; c < channels; ++c) values.push_back(static_cast<int16_t>(n * 3 + c));
  const std::vector<uint8_t> payload = PcmBytes(16, values);
  WavLayout layout;
  layout.rateHz = rate;
  layout.channels = channels;
  const std::string path = Path(name).string();
  ScratchFolder::Write(path, WavBytes(layout, payload));
  setenv("CORVOX_VIRTUAL_INPUT", path.c_str(), 1);
  return payload;
}
