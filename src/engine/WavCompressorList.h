#pragma once
// The compressor list of the WAV settings page: the audio compressor category's names in
// enumeration order, without those the recorder never offers (compared whole and without regard
// to case), each with its enumeration position, which is what "WAV Configuration" stores.

#include <string>
#include <vector>

#include "platform/media/HResult.h"

struct WavCompressorLine {
  std::string name;
  int compressorIndex = 0;  // position in the category's enumeration
};

// A failed enumeration leaves the lines listed so far and returns its failure.
HRESULT ListWavCompressors(std::vector<WavCompressorLine>* lines);
