#include "engine/RecordingRecovery.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>
#include <vector>

#include "engine/RecordingCheck.h"
#include "engine/RecordingRepair.h"
#include "engine/RecordingSaver.h"
#include "engine/UnsavedRecording.h"
#include "platform/media/FileParts.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "settings/ExportFormat.h"
#include "settings/OutputFileNaming.h"

namespace {

using Found = RecoveryReport::Found;

constexpr size_t kCompareBlockBytes = 256 * 1024;

// The template itself while neither it nor a numbered recording exists; overwriting or not,
// a recovered recording never replaces a file.
std::string NextFreeOutputName(SettingsStore& settings, const std::string& extension) {
  const std::string numbered = NextNumberedFileName(settings, extension);
  return numbered.empty() ? GetFileNameTemplate(settings, extension) : numbered;
}

// Hidden, and named after the recording, so a second recovery finds it and the output
// folder's numbering never counts it.
std::string StagingName(const std::string& outputFile, const RecordingMarker& marker, size_t part,
                        const std::string& extension) {
  return PathAppend(PathRemoveFileSpec(outputFile), ".corvox-recovered-" + std::to_string(marker.pid) + "-" +
                                                        std::to_string(marker.startTime) + "-" + std::to_string(part) +
                                                        extension);
}

// Whether both files exist and hold the same bytes.
bool SameContents(const std::string& first, const std::string& second) {
  FileDescriptor a(::open(first.c_str(), O_RDONLY | O_CLOEXEC)), b(::open(second.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat infoA, infoB;
  if (!a.IsValid() || !b.IsValid() || ::fstat(a.Get(), &infoA) != 0 || ::fstat(b.Get(), &infoB) != 0 ||
      infoA.st_size != infoB.st_size)
    return false;
  std::vector<char> bufferA(kCompareBlockBytes), bufferB(kCompareBlockBytes);
  for (;;) {
    const ssize_t gotA = ReadAll(a.Get(), bufferA.data(), bufferA.size());
    const ssize_t gotB = ReadAll(b.Get(), bufferB.data(), bufferB.size());
    if (gotA != gotB || gotA < 0) return false;
    if (gotA == 0) return true;
    if (!std::equal(bufferA.begin(), bufferA.begin() + gotA, bufferB.begin())) return false;
  }
}

class PartRecovery {
 public:
  PartRecovery(const std::string& temporaryFile, SettingsStore& settings, RecoveryReport& report)
      : m_temporaryFile(temporaryFile),
        m_folder(PathRemoveFileSpec(temporaryFile)),
        m_settings(settings),
        m_report(report),
        m_extension(ExtensionForFormat(report.marker.format)) {}

  // False when the recovery must stop here (report.problem says why).
  bool Recover(size_t part) {
    const std::string temporary = FilePartName(m_temporaryFile, static_cast<int>(part));
    m_seconds = 0;
    RecordingMarker& marker = m_report.marker;
    std::string staged = part <= marker.stagedFiles.size() ? marker.stagedFiles[part - 1] : std::string();
    if (staged.empty() || !PathFileExists(staged)) {
      if (!PathFileExists(temporary)) return true;  // saved before, or never written
      if (!PutAside(part, temporary, &staged)) return false;
      if (staged.empty()) return true;
    } else {
      // Put aside whole before the last recovery stopped: the temporary part was its source.
      if (PathFileExists(temporary)) DeleteFile(temporary);
      std::string invalid;
      CheckRecording(staged, m_report.marker.format, &m_seconds, &invalid);
    }
    // A repair's own file, left when a recovery stopped before putting it aside.
    DeleteFile(temporary + m_extension);

    std::string output = NextFreeOutputName(m_settings, m_extension);
    std::string error;
    if (!SaveRecording(
            staged, &output, ReplaceRule::KeepExisting, [this] { return NextFreeOutputName(m_settings, m_extension); },
            &error))
      return Stop(error + " The recording is in " + staged + ".");
    m_report.recovered.push_back({output, m_seconds});
    return true;
  }

 private:
  // Repairs the temporary part and moves it beside its output name; *staged stays empty when
  // the part holds nothing to save.
  bool PutAside(size_t part, const std::string& temporary, std::string* staged) {
    RepairedRecording repaired;
    std::string problem;
    if (!RepairRecording(temporary, m_report.marker.format, &repaired, &problem)) return Keep(temporary, problem);
    // A process that died while it saved its recording may have saved it whole (the MP3
    // frames moved to their name, the temporary recording not yet deleted; a copy to another
    // file system complete, its source not yet deleted): that recording is not saved again.
    const std::string& intended = m_report.marker.outputFile;
    const bool saved =
        part == 1 && !intended.empty() && (SameContents(temporary, intended) || SameContents(repaired.file, intended));
    if (repaired.seconds <= 0 || saved) {
      DeleteFile(repaired.file);
      DeleteFile(temporary);
      return true;
    }
    m_seconds = repaired.seconds;
    RecordingMarker& marker = m_report.marker;
    *staged = StagingName(NextFreeOutputName(m_settings, m_extension), marker, part, m_extension);
    marker.stagedFiles.resize(std::max(marker.stagedFiles.size(), part));
    marker.stagedFiles[part - 1] = *staged;
    std::string error;
    // The journal first: once the part is put aside, only the marker knows where it is.
    if (!WriteRecordingMarker(m_report.markerFile, marker, &error) ||
        !MoveFile(repaired.file, *staged, MoveMode::Replace, &error)) {
      if (repaired.file != temporary) DeleteFile(repaired.file);
      return Stop(error);
    }
    if (repaired.file != temporary) DeleteFile(temporary);
    return true;
  }

  // A part that cannot be repaired is kept as any leftover is (or deleted when it holds no audio).
  bool Keep(const std::string& temporary, const std::string& problem) {
    std::string kept, error;
    switch (ClearLeftover(temporary, m_folder, &kept, &error)) {
      case Leftover::Kept:
        m_report.kept.push_back(kept);
        if (m_report.problem.empty()) m_report.problem = problem;
        return true;
      case Leftover::Stuck:
        return Stop(problem + " " + error);
      default:
        return true;
    }
  }

  bool Stop(const std::string& problem) {
    m_report.problem = problem;
    return false;
  }

  const std::string& m_temporaryFile;
  const std::string m_folder;
  SettingsStore& m_settings;
  RecoveryReport& m_report;
  const std::string m_extension;
  double m_seconds = 0;
};

std::string LocalTime(int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  char text[64] = "an unknown time";
  if (seconds > 0 && ::localtime_r(&time, &local)) std::strftime(text, sizeof text, "%Y-%m-%d at %H:%M:%S", &local);
  return text;
}

}  // namespace

std::string TemporaryRecordingFile(const std::string& temporaryFolder) {
  return PathAppend(temporaryFolder, "corvox_temp.audio");
}

RecoveryReport RecoverInterruptedRecording(const std::string& temporaryFile, SettingsStore& settings) {
  RecoveryReport report;
  report.markerFile = RecordingMarkerPath(PathRemoveFileSpec(temporaryFile));
  const std::optional<RecordingMarker> marker = ReadRecordingMarker(report.markerFile);
  if (!marker) return report;
  report.marker = *marker;
  if (MarkerProcessRuns(*marker)) {
    report.found = Found::StillRunning;
    return report;
  }
  // Parts put aside by an earlier recovery may have left no file at their temporary names. A
  // part numbered beyond what a marker records is no recording's; it stays a leftover.
  std::set<size_t> parts;
  for (size_t index = 0; index < marker->stagedFiles.size(); ++index)
    if (!marker->stagedFiles[index].empty()) parts.insert(index + 1);
  for (const std::string& existing : ExistingFileParts(temporaryFile)) {
    const size_t part = existing == temporaryFile ? 1 : std::stoul(existing.substr(temporaryFile.size() + 1));
    if (part <= kMaxMarkerParts) parts.insert(part);
  }
  PartRecovery recovery(temporaryFile, settings, report);
  bool whole = true;
  for (auto part = parts.begin(); part != parts.end() && whole; ++part) whole = recovery.Recover(*part);
  // A recovery that stopped keeps the marker: the next one goes on from there.
  if (whole) RemoveRecordingMarker(report.markerFile);
  if (!report.problem.empty())
    report.found = Found::Failed;
  else if (!report.recovered.empty())
    report.found = Found::Recovered;
  return report;
}

std::string DescribeRecovery(const RecoveryReport& report) {
  const std::string recording = "The recording started on " + LocalTime(report.marker.startTime) +
                                (report.marker.outputFile.empty() ? std::string() : " for " + report.marker.outputFile);
  std::string text;
  switch (report.found) {
    case Found::Nothing:
      return "Nothing to recover.";
    case Found::StillRunning:
      return recording + " belongs to process " + std::to_string(report.marker.pid) +
             ", which still runs; it is left alone.";
    case Found::Recovered:
    case Found::Failed:
      break;
  }
  text = recording + " was cut off.";
  for (const RecoveredFile& file : report.recovered) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", file.seconds);
    text += "\nRecovered " + std::string(seconds) + " seconds in " + file.file;
  }
  for (const std::string& kept : report.kept) text += "\nA part that could not be repaired is kept in " + kept;
  if (!report.problem.empty()) text += "\nNot everything could be recovered: " + report.problem;
  return text;
}
