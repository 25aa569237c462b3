#include "cli/RecordCommand.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "cli/HeadlessSession.h"
#include "cli/InteractiveInput.h"
#include "cli/InterruptGuard.h"
#include "cli/StatusLine.h"
#include "engine/CommandIds.h"
#include "engine/Messages.h"
#include "settings/ExportFormat.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kUsage =
    "usage: corvox record [--format wma|wav|mp3|ogg] [--seconds S] [--output PATH] [--interactive]\n";
constexpr auto kStatusInterval = std::chrono::milliseconds(200);

struct RecordOptions {
  std::optional<int> format;
  double seconds = 0;
  std::string output;
  bool interactive = false;
};

std::optional<int> FormatFromName(const std::string& name) {
  if (name == "wma") return kFormatWma;
  if (name == "wav") return kFormatWav;
  if (name == "mp3") return kFormatMp3;
  if (name == "ogg") return kFormatOgg;
  return std::nullopt;
}

bool ParseOptions(const std::vector<std::string>& args, RecordOptions& options, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--interactive") {
      options.interactive = true;
      continue;
    }
    if (i + 1 >= args.size() || (arg != "--format" && arg != "--seconds" && arg != "--output")) {
      err << "corvox record: unknown or incomplete option \"" << arg << "\"\n" << kUsage;
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--format") {
      options.format = FormatFromName(value);
      if (!options.format) {
        err << "corvox record: unknown format \"" << value << "\" (available: wma, wav, mp3, ogg)\n";
        return false;
      }
    } else if (arg == "--seconds") {
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !(seconds > 0) || seconds > 1e7) {
        err << "corvox record: --seconds needs a positive number, not \"" << value << "\"\n";
        return false;
      }
      options.seconds = seconds;
    } else if (value.empty()) {
      err << "corvox record: --output needs a file name\n";
      return false;
    } else {
      options.output = value;
    }
  }
  return true;
}

// Space and Enter on a terminal pause or resume, whichever applies.
UINT Translate(CCorvoxDoc& doc, const MSG& message) {
  if (message.message != WM_COMMAND || message.wParam != ID_TOGGLE_PAUSE) return static_cast<UINT>(message.wParam);
  return doc.IsPaused() ? ID_RECORD : ID_PAUSE;
}

}  // namespace

int RunRecordCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err) {
  RecordOptions options;
  if (!ParseOptions(args, options, err)) return 2;
  HeadlessSession session(settings, err);
  CCorvoxDoc& doc = session.Doc();
  if (options.format && !settings.SetFormat(*options.format)) {
    err << "corvox record: the format could not be stored in the settings file; it is used for this recording "
           "only.\n";
    doc.UseExportFormat(*options.format);
  }
  if (!options.output.empty() && !doc.SetOutputFile(options.output)) {
    err << "corvox record: " << options.output << " exists and is not a regular file; it is never replaced.\n";
    return 1;
  }
  doc.SetRecordingLimit(options.seconds);
  if (FAILED(doc.SetupRecorder(true))) return 1;

  InterruptGuard interrupts;
  doc.OnCommand(ID_RECORD);
  if (!doc.IsRecording()) return 1;
  err << "Recording to " << doc.OutputFile()
      << (options.interactive   ? " (Space or Enter pauses and resumes, q stops)"
          : options.seconds > 0 ? ""
                                : " (Ctrl-C stops)")
      << "...\n";
  err.flush();

  StatusLine status(STDERR_FILENO);
  std::unique_ptr<InteractiveInput> input;
  if (options.interactive) input = std::make_unique<InteractiveInput>(STDIN_FILENO, &session.Frame());
  int interruptsSeen = 0;
  bool loaded = false;
  session.Pump(
      [&](const MSG& message) {
        if (message.message == WM_COMMAND && message.wParam == ID_TOGGLE_PAUSE) doc.OnCommand(Translate(doc, message));
        if (message.message == WM_STATUS_READY) status.Finish();
        loaded = message.message == WM_WAVEFORM_LOADED;
        return !doc.IsRecording() && !doc.IsLoading() &&
               (loaded || message.message == WM_LOAD_FAILED || message.message == WM_STATUS_READY);
      },
      [&] {
        if (interrupts.Count() > interruptsSeen) {
          interruptsSeen = interrupts.Count();
          // A second interrupt while the file loads ends the wait; the recording is saved.
          if (!doc.IsRecording() && interruptsSeen > 1) return false;
          doc.OnCommand(ID_STOP);
        }
        if (doc.IsRecording())
          status.Show(FormatRecordStatus(doc.RecordedSeconds(), doc.IsPaused(), doc.TakeInputPeakLevel()));
        return true;
      },
      kStatusInterval);
  input.reset();
  status.Finish();

  const RecordingOutcome& outcome = doc.LastRecording();
  if (outcome.saved) {
    out << outcome.file << std::endl;
    for (const std::string& part : outcome.continuedIn) out << part << std::endl;
  }
  if (outcome.dropouts > 0)
    err << "Dropouts: " << outcome.dropouts << " (audio was lost where the recording could not keep up).\n";
  if (outcome.saved) {
    char duration[64];
    // The loaded file is the first part only.
    const double seconds = loaded && outcome.continuedIn.empty() ? doc.Duration() : outcome.seconds;
    std::snprintf(duration, sizeof duration, "%.3f", seconds);
    err << "Recorded " << duration << " seconds.\n";
  }
  return outcome.saved && outcome.complete ? 0 : 1;
}
