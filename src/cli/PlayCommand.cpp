#include "cli/PlayCommand.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "cli/HeadlessSession.h"
#include "cli/InterruptGuard.h"
#include "cli/StatusLine.h"
#include "engine/CommandIds.h"
#include "engine/Messages.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kUsage = "usage: corvox play FILE [--from S] [--to S] [--volume P]\n";
constexpr auto kPositionInterval = std::chrono::milliseconds(250);
constexpr int kDefaultVolumePosition = 60;

struct PlayOptions {
  std::string file;
  std::optional<double> from;
  std::optional<double> to;
  std::optional<int> volume;
};

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && *value >= 0 && *value <= 1e9;
}

bool ParseOptions(const std::vector<std::string>& args, PlayOptions& options, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool option = arg == "--from" || arg == "--to" || arg == "--volume";
    if (!option && options.file.empty() && !arg.empty() && arg.rfind("--", 0) != 0) {
      options.file = arg;
      continue;
    }
    double value = 0;
    if (!option || i + 1 >= args.size() || !ParseNumber(args[i + 1], &value)) {
      err << "corvox play: unknown or incomplete argument \"" << arg << "\"\n" << kUsage;
      return false;
    }
    ++i;
    if (arg == "--from") options.from = value;
    if (arg == "--to") options.to = value;
    if (arg == "--volume") {
      if (value > 1000 || value != static_cast<int>(value)) {
        err << "corvox play: --volume takes a whole number from 0 to 1000\n";
        return false;
      }
      options.volume = static_cast<int>(value);
    }
  }
  if (options.file.empty()) {
    err << kUsage;
    return false;
  }
  if (options.from && options.to && *options.to <= *options.from) {
    err << "corvox play: --to must lie after --from\n";
    return false;
  }
  return true;
}

double CurrentSeconds(CCorvoxDoc& doc) {
  IMediaSeeking* seeking = doc.Player().Seeking();
  REFERENCE_TIME position = 0;
  if (seeking == nullptr || FAILED(seeking->GetCurrentPosition(&position))) return 0;
  return static_cast<double>(position) / kUnitsPerSecond;
}

}  // namespace

int RunPlayCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                   std::ostream& err) {
  PlayOptions options;
  if (!ParseOptions(args, options, err)) return 2;
  HeadlessSession session(settings, err);
  CCorvoxDoc& doc = session.Doc();
  doc.EnableRecording(false);
  InterruptGuard interrupts;
  if (!session.Load(options.file, [&] { return interrupts.Count() == 0; })) {
    if (interrupts.Count() > 0) return 130;
    if (session.Boxes() == 0)
      err << "corvox play: Couldn't load the file " << options.file << "."
          << (doc.LoadFailure().empty() ? "" : "\n" + doc.LoadFailure()) << "\n";
    return 1;
  }
  if (!doc.PlayerFailure().empty()) {
    err << "corvox play: " << doc.PlayerFailure() << "\n";
    return 1;
  }
  const double duration = doc.Duration();
  if (options.from.value_or(0) >= duration) {
    err << "corvox play: --from lies at or past the end of the file (" << duration << " seconds)\n";
    return 2;
  }
  if (options.from || options.to)
    doc.SetSelection(options.from.value_or(0) / duration, options.to.value_or(duration) / duration);
  int volume = kDefaultVolumePosition;
  if (options.volume)
    volume = *options.volume;
  else
    settings.GetPlaybackVol(volume);
  doc.SetPlaybackVolume(volume);

  StatusLine status(STDERR_FILENO);
  const int failuresBefore = session.ErrorBoxes();
  doc.OnCommand(ID_PLAY);
  session.Pump([](const MSG& message) { return message.message == WM_PLAYER_STOPPED; },
               [&] {
                 if (interrupts.Count() > 0) doc.OnCommand(ID_STOP);
                 status.Show(FormatPosition(CurrentSeconds(doc)) + " / " + FormatPosition(duration));
                 return true;
               },
               kPositionInterval);
  status.Finish();
  if (interrupts.Count() > 0) return 130;
  return session.ErrorBoxes() > failuresBefore ? 1 : 0;
}
