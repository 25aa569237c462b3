#include "engine/RecordingRepair.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "engine/RecordingCheck.h"
#include "filters/MpegAudioFrameHeader.h"
#include "filters/OggCutOffRepair.h"
#include "filters/WavMpegExtractor.h"
#include "platform/media/WaveFileLayout.h"
#include "platform/media/WaveFormat.h"
#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"
#include "platform/wmf/AsfRemux.h"
#include "settings/ExportFormat.h"

namespace {

constexpr uint64_t kLargestWaveBytes = 0xFFFFFFFF;
constexpr uint64_t kRiffSizeOffset = 4;
constexpr uint64_t kChunkSizeBytes = 4;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

bool Fail(std::string* problem, const std::string& text) {
  if (problem) *problem = text;
  return false;
}

bool SystemFail(std::string* problem, const char* action, const std::string& path) {
  return Fail(problem, ErrnoMessage(action, path, errno) + ".");
}

bool PutLe32At(int fd, uint64_t offset, uint64_t value) {
  uint8_t bytes[4];
  PutLe32(bytes, static_cast<uint32_t>(value));
  return ::pwrite(fd, bytes, sizeof bytes, static_cast<off_t>(offset)) == sizeof bytes;
}

// The data runs from its chunk to the end of the file, as the WAV writer leaves it; the
// header's sizes are made to say so, for whole blocks only.
bool RepairWave(const std::string& path, std::string* problem) {
  File file(std::fopen(path.c_str(), "r+be"), std::fclose);
  if (!file) return SystemFail(problem, "Cannot open", path);
  WaveFileLayout layout;
  if (FAILED(ReadWaveFileLayout(file.get(), path, &layout))) return Fail(problem, GetErrorInfo());
  const int fd = ::fileno(file.get());
  struct stat info;
  if (::fstat(fd, &info) != 0) return SystemFail(problem, "Cannot read", path);
  uint64_t dataBytes = static_cast<uint64_t>(info.st_size) - layout.dataOffset;
  if (layout.format.nBlockAlign > 1) dataBytes -= dataBytes % layout.format.nBlockAlign;
  if (layout.dataOffset + dataBytes - 8 > kLargestWaveBytes)
    return Fail(problem, path + " holds more audio than one WAV file can describe.");
  const uint64_t fileBytes = layout.dataOffset + dataBytes;
  if ((fileBytes < static_cast<uint64_t>(info.st_size) && ::ftruncate(fd, static_cast<off_t>(fileBytes)) != 0) ||
      !PutLe32At(fd, kRiffSizeOffset, fileBytes - 8) ||
      !PutLe32At(fd, layout.dataOffset - kChunkSizeBytes, dataBytes) || ::fsync(fd) != 0)
    return SystemFail(problem, "Cannot write", path);
  return true;
}

// The length of the MPEG frames back to back from the file's start; a frame cut off at the
// end, or bytes that start no frame, end them.
bool WholeFramesBytes(int fd, const std::string& path, uint64_t* bytes, std::string* problem) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return SystemFail(problem, "Cannot read", path);
  const uint64_t fileBytes = static_cast<uint64_t>(info.st_size);
  uint64_t offset = 0;
  for (;;) {
    std::array<uint8_t, kMpegAudioFrameHeaderBytes> header;
    const ssize_t got = ReadAllAt(fd, header.data(), header.size(), offset);
    if (got < 0) return SystemFail(problem, "Cannot read", path);
    if (static_cast<size_t>(got) < header.size()) break;
    const std::optional<MpegAudioFrameHeader> frame = ParseMpegAudioFrameHeader(header);
    if (!frame || offset + frame->FrameBytes() > fileBytes) break;
    offset += frame->FrameBytes();
  }
  *bytes = offset;
  return true;
}

bool RepairMp3(const std::string& path, const std::string& frames, std::string* problem) {
  FileDescriptor source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.IsValid()) return SystemFail(problem, "Cannot open", path);
  FileDescriptor target(::open(frames.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (!target.IsValid()) return SystemFail(problem, "Cannot create", frames);
  if (!CWavMpegExtractor::ExtractPayload(source.Get(), path, target.Get(), frames))
    return Fail(problem, path + " holds no MPEG audio in a WAV wrapping.");
  uint64_t bytes = 0;
  if (!WholeFramesBytes(target.Get(), frames, &bytes, problem)) return false;
  if (::ftruncate(target.Get(), static_cast<off_t>(bytes)) != 0 || ::fsync(target.Get()) != 0 || target.Close() != 0)
    return SystemFail(problem, "Cannot write", frames);
  return true;
}

bool RepairOgg(const std::string& path, std::string* problem) {
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
  if (!fd.IsValid()) return SystemFail(problem, "Cannot open", path);
  return SUCCEEDED(RepairCutOffOggFile(fd.Get(), path)) || Fail(problem, GetErrorInfo());
}

bool RepairWma(const std::string& path, const std::string& remuxed, std::string* problem) {
  return SUCCEEDED(RemuxCutOffAsfFile(path, remuxed)) || Fail(problem, GetErrorInfo());
}

}  // namespace

bool RepairRecording(const std::string& recording, int format, RepairedRecording* repaired, std::string* problem) {
  std::string file = recording;
  bool made = false;
  switch (format) {
    case kFormatWma:
      file = recording + ".wma";
      made = RepairWma(recording, file, problem);
      break;
    case kFormatMp3:
      file = recording + ".mp3";
      made = RepairMp3(recording, file, problem);
      break;
    case kFormatOgg:
      made = RepairOgg(recording, problem);
      break;
    case kFormatWav:
      made = RepairWave(recording, problem);
      break;
    default:
      return Fail(problem, "The export format " + std::to_string(format) + " is not known.");
  }
  double seconds = 0;
  std::string invalid;
  if (made && !CheckRecording(file, format, &seconds, &invalid))
    made = Fail(problem, "It is not a valid file: " + invalid);
  if (!made) {
    if (file != recording) ::unlink(file.c_str());
    return false;
  }
  if (repaired) *repaired = RepairedRecording{file, seconds};
  return true;
}
