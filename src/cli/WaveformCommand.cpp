#include "cli/WaveformCommand.h"

#include <fstream>

#include "cli/HeadlessSession.h"
#include "cli/InterruptGuard.h"

namespace {

constexpr const char* kUsage = "usage: corvox waveform FILE [--dump PATH]\n";

std::string HeaderLine(const std::string& dumpFile) {
  std::ifstream dump(dumpFile, std::ios::binary);
  std::string line;
  std::getline(dump, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

int RunWaveformCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                       std::ostream& err) {
  std::string file, dump;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dump" && i + 1 < args.size() && !args[i + 1].empty()) {
      dump = args[++i];
    } else if (file.empty() && !args[i].empty() && args[i].rfind("--", 0) != 0) {
      file = args[i];
    } else {
      err << "corvox waveform: unknown or incomplete argument \"" << args[i] << "\"\n" << kUsage;
      return 2;
    }
  }
  if (file.empty()) {
    err << kUsage;
    return 2;
  }
  HeadlessSession session(settings, err);
  CCorvoxDoc& doc = session.Doc();
  doc.EnableRecording(false);
  doc.SetDumpFile(dump);
  InterruptGuard interrupts;
  if (!session.Load(file, [&] { return interrupts.Count() == 0; })) {
    if (interrupts.Count() > 0) return 130;
    // A message box has said why already, when there was one.
    if (session.Boxes() == 0)
      err << "corvox waveform: Couldn't load the file " << file << "."
          << (doc.LoadFailure().empty() ? "" : "\n" + doc.LoadFailure()) << "\n";
    return 1;
  }
  out << HeaderLine(doc.DumpFile()) << std::endl;
  return 0;
}
