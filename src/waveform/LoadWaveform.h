#pragma once
// Reads a dump file back into the waveform the view draws: the duration from the header line
// and one value per further line, scaled to -1 ... +1. Self-contained; any thread.

#include <cstdio>
#include <string>
#include <vector>

struct WaveformData {
  double durationSeconds = 0;
  std::vector<float> values;
};

// False, leaving `data` alone, when the file cannot be read, its header line lacks a field
// or its duration is not a positive number. The scale is relative (the file's own maximum maps
// to +1 and its minimum to -1) when the audio reaches past a tenth of full scale both ways, or
// when the bytes per sample are neither 1 nor 2; otherwise full scale of 8- or 16-bit PCM, so
// quiet audio stays small. A line that is not a number counts as 0.
bool LoadWaveform(const std::string& dumpFile, WaveformData* data);
// The same from a stream open for reading, from its current position.
bool LoadWaveform(std::FILE* dump, WaveformData* data);
