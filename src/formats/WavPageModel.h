#pragma once
// What the WAV settings page shows and stores, apart from its controls: the controls' state
// for a stored record over the compressor list of this opening, and the record for the
// controls read back. The stored list line is selected even when the installed compressors
// changed since it was stored; a line beyond the list leaves it without a selection.
// Self-contained; any thread.

#include <optional>
#include <vector>

#include "engine/WavCompressorList.h"
#include "settings/WavConfiguration.h"

struct WavPageControls {
  bool compressed = false;  // else uncompressed PCM
  std::optional<int> line;  // selected compressor line

  bool operator==(const WavPageControls&) const = default;
};

WavPageControls WavPageControlsFor(const WavConfiguration& stored, size_t lineCount);
// Compressed without a selected line (an empty list) keeps the record that was read.
WavConfiguration WavConfigurationFrom(const WavPageControls& shown, const std::vector<WavCompressorLine>& lines,
                                      const WavConfiguration& read);
