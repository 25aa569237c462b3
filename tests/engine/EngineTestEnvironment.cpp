#include "engine/EngineTestEnvironment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/media/WaveFormat.h"

namespace fs = std::filesystem;

EngineTestEnvironment::EngineTestEnvironment() {
  m_dir = fs::temp_directory_path() / ("corvox-engine-" + std::to_string(getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(m_dir);
  fs::create_directories(m_dir / "music");
  m_settings = std::make_unique<SettingsStore>((m_dir / "corvox.reg").string(), (m_dir / "music").string());
  setenv("CORVOX_VIRTUAL_PACE", "0", 1);
  unsetenv("CORVOX_VIRTUAL_INPUT");
  SelectAudioBackend("virtual");
  RegisterAudioCompressors();
}

EngineTestEnvironment::~EngineTestEnvironment() {
  unsetenv("CORVOX_VIRTUAL_INPUT");
  fs::remove_all(m_dir);
}

std::vector<uint8_t> EngineTestEnvironment::UseInputFile(const std::string& name, uint32_t rate, uint16_t channels,
                                                         uint32_t frames) {
  std::vector<uint8_t> payload;
  for (uint32_t n = 0; n < frames; ++n) {
    for (uint16_t c = 0; c < channels; ++c) {
      const uint16_t sample = static_cast<uint16_t>(n * 3 + c);
      payload.push_back(static_cast<uint8_t>(sample));
      payload.push_back(static_cast<uint8_t>(sample >> 8));
    }
  }
  const std::vector<uint8_t> format = EncodeWaveFormat(MakePcmFormat(rate, channels, 16));
  std::vector<uint8_t> file(44);
  std::copy_n("RIFF", 4, file.begin());
  PutLe32(&file[4], static_cast<uint32_t>(36 + payload.size()));
  std::copy_n("WAVEfmt ", 8, file.begin() + 8);
  PutLe32(&file[16], 16);
  std::copy_n(format.begin(), 16, file.begin() + 20);
  std::copy_n("data", 4, file.begin() + 36);
  PutLe32(&file[40], static_cast<uint32_t>(payload.size()));
  file.insert(file.end(), payload.begin(), payload.end());

  const fs::path path = Path(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(file.size()));
  setenv("CORVOX_VIRTUAL_INPUT", path.c_str(), 1);
  return payload;
}

std::vector<uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
