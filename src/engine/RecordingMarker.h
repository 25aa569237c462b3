#pragma once
// The marker beside the temporary recording: while a recording runs, a small text file of
// "key=value" lines says what it is (export format, capture format, output name, start time,
// process), so a later session can tell a recording cut off by a crash from one still running,
// and knows how to repair and name it. Written before the recording graph runs, removed once
// the recording has been saved or kept. Self-contained; any thread.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RecordingMarker {
  int format = 0;             // export format code, 200 ... 203
  std::string captureFormat;  // how the audio was captured, as a person reads it
  std::string outputFile;     // the output name chosen for the recording
  int64_t startTime = 0;      // seconds since 1970 (UTC)
  pid_t pid = 0;              // the recording process, > 0
  std::string bootId;         // the system boot the process ran in; empty when unknown
  // Recovery's journal: where the repaired part N (index N - 1) is put beside its output name
  // before it takes that name; empty for a part not yet so far.
  std::vector<std::string> stagedFiles;

  bool operator==(const RecordingMarker&) const = default;
};

constexpr size_t kMaxMarkerParts = 4096;

// <temporary folder>/corvox_temp.marker
std::string RecordingMarkerPath(const std::string& temporaryFolder);

// The marker of a recording this process starts now: `pid` this process, `bootId` this boot's.
RecordingMarker MakeRecordingMarker(int format, const std::string& captureFormat, const std::string& outputFile);

// The marker as text. Values are escaped ("\\" and "\n"), so any path survives a round trip.
std::string FormatRecordingMarker(const RecordingMarker& marker);
// Nothing unless the text names an export format and a process id above 0; unknown keys,
// lines without "=" and staged parts beyond kMaxMarkerParts are ignored, a missing optional
// value stays at its default.
std::optional<RecordingMarker> ParseRecordingMarker(std::string_view text);

// Writes the marker atomically (a complete file or none; the old one replaced), mode 0600.
// False with a sentence in *error.
bool WriteRecordingMarker(const std::string& path, const RecordingMarker& marker, std::string* error = nullptr);
// Nothing when there is no marker, or it cannot be read or is damaged (never a crash).
std::optional<RecordingMarker> ReadRecordingMarker(const std::string& path);
// True when no marker is left (also when there was none).
bool RemoveRecordingMarker(const std::string& path, std::string* error = nullptr);

// This boot's identifier (/proc/sys/kernel/random/boot_id); empty when unknown.
std::string CurrentBootId();
// Whether the marker's process may still run: it is this process, or a process of that id
// exists in the same boot. A process of another boot is gone whatever its id.
bool MarkerProcessRuns(const RecordingMarker& marker);
