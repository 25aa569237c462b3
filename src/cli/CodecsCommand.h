#pragma once

// corvox codecs: what the export settings can name. The Windows Media audio codecs, each with
// its formats (the values "WMA Configuration" stores: codec position, format index, VBR flag),
// and the audio compressors of the WAV page (the values "WAV Configuration" stores:
// compressor index, list index).

#include <ostream>
#include <string>
#include <vector>

// args: the words after "codecs" (none). Returns 0, 1 when the compressors cannot be listed, 2
// for a usage error.
int RunCodecsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
