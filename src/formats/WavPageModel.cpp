#include "formats/WavPageModel.h"

WavPageControls WavPageControlsFor(const WavConfiguration& stored, size_t lineCount) {
  WavPageControls controls;
  controls.compressed = stored.compressorIndex != -1;
  const int line = stored.listPosition == -1 ? 0 : stored.listPosition;
  if (line >= 0 && static_cast<size_t>(line) < lineCount) controls.line = line;
  return controls;
}

WavConfiguration WavConfigurationFrom(const WavPageControls& shown, const std::vector<WavCompressorLine>& lines,
                                      const WavConfiguration& read) {
  if (!shown.compressed) return WavConfiguration{-1, -1};
  if (!shown.line || *shown.line < 0 || static_cast<size_t>(*shown.line) >= lines.size()) return read;
  return WavConfiguration{lines[static_cast<size_t>(*shown.line)].compressorIndex, *shown.line};
}
