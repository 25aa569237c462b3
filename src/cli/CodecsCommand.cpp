#include "cli/CodecsCommand.h"

#include <cstdio>

#include "engine/WavCompressorList.h"
#include "wma/ProfileEnumerator.h"
#include "wma/WmaSettingsLists.h"

namespace {

std::string Line(const char* format, int a, int b, const std::string& text) {
  char start[64];
  std::snprintf(start, sizeof start, format, a, b);
  return start + text + "\n";
}

}  // namespace

int RunCodecsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) {
    err << "corvox codecs: unexpected \"" << args.front() << "\"\nusage: corvox codecs\n";
    return 2;
  }
  ProfileEnumerator enumerator;
  const std::vector<std::string> codecs = enumerator.GetCodecNames();
  const WmaFormatMap formats = enumerator.GetFormatMap();
  out << "WMA codecs (WMA Configuration: codecIndex, formatIndex, vbr):\n";
  if (codecs.empty()) out << "  none\n";
  for (size_t codec = 0; codec < codecs.size(); ++codec) {
    out << "  codecIndex=" << codec << "  " << codecs[codec] << "\n";
    for (const WmaFormatEntry& line : FormatLinesFor(formats, codecs[codec]))
      out << Line("    formatIndex=%-3d vbr=%d  ", static_cast<int>(line.formatIndex), line.isVbr, line.description);
  }

  std::vector<WavCompressorLine> compressors;
  const HRESULT hr = ListWavCompressors(&compressors);
  out << "WAV compressors (WAV Configuration: compressorIndex, listIndex):\n";
  if (compressors.empty()) out << "  none\n";
  for (size_t line = 0; line < compressors.size(); ++line)
    out << Line("  compressorIndex=%-3d listIndex=%-3d ", compressors[line].compressorIndex, static_cast<int>(line),
                compressors[line].name);
  if (FAILED(hr)) {
    err << "corvox codecs: the audio compressors could not be listed: " << GetErrorInfo() << "\n";
    return 1;
  }
  return 0;
}
