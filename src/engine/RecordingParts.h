#pragma once
// A WAV-family recording longer than one WAV file can hold continues in numbered parts beside
// the temporary recording (FileParts.h). Each part is finished as a recording of its own, in
// order: the first under the output name, every further one under the next numbered name,
// never replacing anything. Self-contained; any thread (the MPEG extraction may show a
// message box, so the document calls it on the user-interface thread).

#include <string>

#include "engine/RecordingFinisher.h"

// Part 1 as FinishTemporaryRecording does, then each further part. The result's saved, seconds
// and problem cover every part; file is part 1's, continuedIn where the others are.
FinishResult FinishRecordingInParts(const FinishRequest& request);

// `output` with a three-digit number before its extension: "take.wav", 2 -> "take002.wav".
std::string NumberedOutputName(const std::string& output, int number);
