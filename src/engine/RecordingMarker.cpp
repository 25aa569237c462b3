#include "engine/RecordingMarker.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <ctime>
#include <map>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "settings/ExportFormat.h"

namespace {

constexpr const char* kMarkerFileName = "corvox_temp.marker";
constexpr const char* kBootIdFile = "/proc/sys/kernel/random/boot_id";
// A marker is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxMarkerBytes = 64 * 1024;

std::string Escape(std::string_view value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '\\')
      escaped += "\\\\";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

std::string Unescape(std::string_view value) {
  std::string plain;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      plain += value[i + 1] == 'n' ? '\n' : value[i + 1];
      ++i;
    } else {
      plain += value[i];
    }
  }
  return plain;
}

template <class Number>
std::optional<Number> ToNumber(std::string_view text) {
  Number number{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace

std::string RecordingMarkerPath(const std::string& temporaryFolder) {
  return PathAppend(temporaryFolder, kMarkerFileName);
}

RecordingMarker MakeRecordingMarker(int format, const std::string& captureFormat, const std::string& outputFile) {
  RecordingMarker marker;
  marker.format = format;
  marker.captureFormat = captureFormat;
  marker.outputFile = outputFile;
  marker.startTime = static_cast<int64_t>(std::time(nullptr));
  marker.pid = ::getpid();
  marker.bootId = CurrentBootId();
  return marker;
}

std::string FormatRecordingMarker(const RecordingMarker& marker) {
  std::string text;
  const auto line = [&text](const char* key, std::string_view value) {
    text += key;
    text += '=';
    text += Escape(value);
    text += '\n';
  };
  line("format", std::to_string(marker.format));
  line("capture", marker.captureFormat);
  line("output", marker.outputFile);
  line("start", std::to_string(marker.startTime));
  line("pid", std::to_string(marker.pid));
  line("boot", marker.bootId);
  for (size_t part = 0; part < marker.stagedFiles.size(); ++part)
    if (!marker.stagedFiles[part].empty())
      line(("staged." + std::to_string(part + 1)).c_str(), marker.stagedFiles[part]);
  return text;
}

std::optional<RecordingMarker> ParseRecordingMarker(std::string_view text) {
  std::map<std::string, std::string, std::less<>> values;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos)
      values[std::string(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
  }
  const auto find = [&values](std::string_view key) -> const std::string* {
    const auto found = values.find(key);
    return found == values.end() ? nullptr : &found->second;
  };
  const std::string* format = find("format");
  const std::string* pid = find("pid");
  if (format == nullptr || pid == nullptr) return std::nullopt;
  RecordingMarker marker;
  const std::optional<int> formatCode = ToNumber<int>(*format);
  const std::optional<pid_t> process = ToNumber<pid_t>(*pid);
  // A process id of 0 or below would address whole process groups.
  if (!formatCode || !IsExportFormat(*formatCode) || !process || *process <= 0) return std::nullopt;
  marker.format = *formatCode;
  marker.pid = *process;
  if (const std::string* start = find("start")) marker.startTime = ToNumber<int64_t>(*start).value_or(0);
  if (const std::string* capture = find("capture")) marker.captureFormat = *capture;
  if (const std::string* output = find("output")) marker.outputFile = *output;
  if (const std::string* boot = find("boot")) marker.bootId = *boot;
  constexpr std::string_view kStaged = "staged.";
  for (const auto& [key, value] : values) {
    if (!std::string_view(key).starts_with(kStaged) || value.empty()) continue;
    const std::optional<size_t> part = ToNumber<size_t>(std::string_view(key).substr(kStaged.size()));
    if (!part || *part == 0 || *part > kMaxMarkerParts) continue;
    if (marker.stagedFiles.size() < *part) marker.stagedFiles.resize(*part);
    marker.stagedFiles[*part - 1] = value;
  }
  return marker;
}

bool WriteRecordingMarker(const std::string& path, const RecordingMarker& marker, std::string* error) {
  const std::string text = FormatRecordingMarker(marker);
  return ReplaceFileAtomically(
      path, 0600, [&text](int fd) { return WriteAll(fd, text); }, error);
}

std::optional<RecordingMarker> ReadRecordingMarker(const std::string& path) {
  // O_NOFOLLOW: the private folder is checked, but a link has no business being the marker.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.IsValid()) return std::nullopt;
  std::string text(kMaxMarkerBytes + 1, '\0');
  const ssize_t got = ReadAll(fd.Get(), text.data(), text.size());
  if (got < 0 || static_cast<size_t>(got) > kMaxMarkerBytes) return std::nullopt;
  text.resize(static_cast<size_t>(got));
  return ParseRecordingMarker(text);
}

bool RemoveRecordingMarker(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  if (error) *error = ErrnoMessage("Cannot delete", path, errno);
  return false;
}

std::string CurrentBootId() {
  FileDescriptor fd(::open(kBootIdFile, O_RDONLY | O_CLOEXEC));
  if (!fd.IsValid()) return {};
  char buffer[64] = {};
  const ssize_t got = ReadAll(fd.Get(), buffer, sizeof buffer - 1);
  if (got <= 0) return {};
  std::string id(buffer, static_cast<size_t>(got));
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

bool MarkerProcessRuns(const RecordingMarker& marker) {
  if (marker.pid == ::getpid()) return true;
  if (!marker.bootId.empty()) {
    const std::string boot = CurrentBootId();
    if (!boot.empty() && boot != marker.bootId) return false;
  }
  // EPERM: a process of that id exists, owned by someone else.
  return ::kill(marker.pid, 0) == 0 || errno != ESRCH;
}
