#pragma once
// Recovery of a recording that was cut off (the process killed, the machine gone down): its
// marker (RecordingMarker.h) names a process that no longer runs. Each part of the temporary
// recording is repaired (RecordingRepair.h) and saved under the next free output name of the
// marker's format, never replacing anything; then the marker goes.
//
// A recording is never recovered twice, whenever a crash interrupts the recovery itself: the
// marker records where a repaired part (FileParts.h) is put beside its output name (a hidden file, whole or
// absent) before the temporary part is given up, and that file then takes its name with one
// rename that never replaces. The next recovery finds each part either still temporary, or
// put aside (and finishes it), or saved (and leaves it). A recording whose process died while
// saving it is not saved again when its output name already holds it. A part that cannot be
// repaired is kept under an unsaved name, as any leftover is.
//
// Threads: user-interface thread (the MPEG extraction may show a message box). The caller
// holds the RecordingLock, so no recording of this user starts or runs meanwhile.

#include <string>
#include <vector>

#include "engine/RecordingMarker.h"

class SettingsStore;

// <temporary folder>/corvox_temp.audio: where every recording is written first.
std::string TemporaryRecordingFile(const std::string& temporaryFolder);
struct RecoveredFile {
  std::string file;
  double seconds = 0;
};

struct RecoveryReport {
  enum class Found {
    Nothing,       // no marker, or nothing left to recover for it
    StillRunning,  // the marker's process runs: left alone
    Recovered,     // every part with audio was saved
    Failed,        // a part could not be saved (see problem, kept)
  };
  Found found = Found::Nothing;
  std::string markerFile;
  RecordingMarker marker;                // when there was one
  std::vector<RecoveredFile> recovered;  // in part order
  std::vector<std::string> kept;         // parts that could not be repaired, under unsaved names
  std::string problem;                   // why a part was not saved
};

// Recovers the cut-off recording whose temporary file is `temporaryFile` (its folder holds
// the marker), naming the files from the template of `settings`.
RecoveryReport RecoverInterruptedRecording(const std::string& temporaryFile, SettingsStore& settings);

// What the report says, as a person reads it ("Nothing to recover." for Nothing).
std::string DescribeRecovery(const RecoveryReport& report);
