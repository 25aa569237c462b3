#include "engine/UnsavedRecording.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/media/WaveFileLayout.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"

namespace {

constexpr int kMaxAttempts = 10000;

std::string ExtensionByContent(const std::string& path) {
  static const uint8_t kAsfHeader[4] = {0x30, 0x26, 0xB2, 0x75};
  uint8_t start[4] = {};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"), std::fclose);
  if (!file || std::fread(start, 1, sizeof start, file.get()) != sizeof start) return ".audio";
  if (std::memcmp(start, "RIFF", 4) == 0) return ".wav";
  if (std::memcmp(start, "OggS", 4) == 0) return ".ogg";
  if (std::memcmp(start, kAsfHeader, 4) == 0) return ".wma";
  return ".audio";
}

std::string TimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return stamp;
}

}  // namespace

bool KeepUnsaved(const std::string& file, const std::string& folder, const std::string& extension, std::string* keptAs,
                 std::string* error) {
  const std::string stem = PathAppend(folder, "corvox_unsaved_" + TimeStamp());
  for (int number = 1; number <= kMaxAttempts; ++number) {
    const std::string candidate = number == 1 ? stem + extension : stem + "-" + std::to_string(number) + extension;
    if (MoveFile(file, candidate, MoveMode::KeepExisting, error)) {
      *keptAs = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  if (error) *error = "No free name for an unsaved recording in " + folder + ".";
  return false;
}

bool HoldsRecordedAudio(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || info.st_size == 0) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rbe"), std::fclose);
  WaveFileLayout layout;
  if (file && SUCCEEDED(ReadWaveFileLayout(file.get(), path, &layout))) return layout.dataBytes > 0;
  return true;
}

Leftover ClearLeftover(const std::string& path, const std::string& folder, std::string* keptAs, std::string* error) {
  if (!PathFileExists(path)) return Leftover::None;
  if (!HoldsRecordedAudio(path)) return DeleteFile(path, error) ? Leftover::Removed : Leftover::Stuck;
  return KeepUnsaved(path, folder, ExtensionByContent(path), keptAs, error) ? Leftover::Kept : Leftover::Stuck;
}
