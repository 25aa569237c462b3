#include "cli/RecordCommand.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "engine/Messages.h"
#include "engine/Recorder.h"
#include "filters/MpegAudioStream.h"
#include "filters/OggVorbisFile.h"
#include "filters/WavMpegExtractor.h"
#include "platform/media/WaveFileLayout.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/wmf/AsfFileSummary.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/TempFolder.h"
#include "platform/ui/MessageLoop.h"
#include "settings/ExportFormat.h"
#include "settings/OutputFileNaming.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kTemporaryFileName = "corvox_temp.audio";
constexpr const char* kLockFileName = "corvox_record.lock";
constexpr const char* kExtractedFileName = "corvox_temp.mp3";
constexpr const char* kBuildFailed =
    "Could not set up the recorder with the chosen codec.\nThe selected codec may not be available to this "
    "appication.\nPlease select a different compressor and try again.";
constexpr const char* kRunFailed =
    "Could not start recording.\nYour audio hardware may not support\nthe audio format selected for "
    "recording.\nPlease try another setting.";
constexpr auto kPollInterval = std::chrono::milliseconds(50);

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// Ctrl-C and termination end the recording cleanly instead of killing the process.
class InterruptGuard {
 public:
  InterruptGuard() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
  }
  ~InterruptGuard() {
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
  }

 private:
  struct sigaction m_oldInt {};
  struct sigaction m_oldTerm {};
};

struct RecordOptions {
  std::optional<int> format;
  std::optional<double> seconds;
  std::string output;
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
    if (i + 1 >= args.size() || (arg != "--format" && arg != "--seconds" && arg != "--output")) {
      err << "corvox record: unknown or incomplete option \"" << arg
          << "\"\nusage: corvox record [--format wma|wav|mp3|ogg] [--seconds S] [--output PATH]\n";
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
    } else {
      options.output = value;
    }
  }
  return true;
}

std::string WithDetail(const std::string& message) {
  const std::string detail = GetErrorInfo();
  return detail.empty() ? message : message + "\n" + detail;
}

enum class StopReason { Duration, EndOfInput, Interrupted, Error };

// Pumps the graph's events until the recording should end. After an abort, GetErrorInfo()
// holds the text the failing thread set.
StopReason WaitForEnd(MessageLoop& loop, IMediaEventEx* events, std::optional<double> seconds, HRESULT* error) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (g_interrupted) return StopReason::Interrupted;
    if (seconds && std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= *seconds)
      return StopReason::Duration;
    MSG message;
    if (!loop.GetMessage(message, kPollInterval) || message.message != WM_RECORDER_GRAPH_EVENT) continue;
    long code;
    intptr_t param1, param2;
    while (events->GetEvent(&code, &param1, &param2, 0) == S_OK) {
      if (code == EC_COMPLETE) return StopReason::EndOfInput;
      if (code == EC_ERRORABORT || code == EC_USERABORT) {
        *error = static_cast<HRESULT>(param1);
        return StopReason::Error;
      }
    }
  }
}

// Holds the lock that keeps a second recording from reusing the temporary file meanwhile.
class RecordingLock {
 public:
  explicit RecordingLock(const std::string& path)
      : m_fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)),
        m_locked(m_fd.IsValid() && flock(m_fd.Get(), LOCK_EX | LOCK_NB) == 0) {}
  bool Locked() const { return m_locked; }

 private:
  FileDescriptor m_fd;
  bool m_locked;
};

// Moves the finished recording to its output name. A numbered name is never replaced: when a
// file of that name appeared meanwhile, the next free number is taken.
bool SaveRecording(const std::string& temporary, std::string& output, bool replace, SettingsStore& settings,
                   std::string* error) {
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (MoveFile(temporary, output, replace ? MoveMode::Replace : MoveMode::KeepExisting, error)) return true;
    if (errno != EEXIST) return false;
    output = NextOutputFileName(settings);
  }
  return false;
}

// Reads a compressed recording with its format's reader, which names what is wrong with it.
template <class Summary>
bool CheckStream(HRESULT (*read)(std::FILE*, const std::string&, Summary*), std::FILE* file, const std::string& path,
                 double* seconds, std::string* problem) {
  Summary summary;
  if (FAILED(read(file, path, &summary))) {
    *problem = GetErrorInfo();
    return false;
  }
  *seconds = summary.Seconds();
  return true;
}

// A recording is valid when its header describes exactly the audio the file holds; an MP3
// recording when it is MPEG audio frames from its first byte to its last; an Ogg recording
// when its Vorbis stream is whole from its first page to its last;
// a WMA recording when FFmpeg reads it as ASF with an audio stream.
bool CheckRecording(const std::string& path, int format, double* seconds, std::string* problem) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    *problem = "it cannot be opened.";
    return false;
  }
  if (format == kFormatWma) {
    AsfFileSummary summary;
    if (FAILED(ReadAsfFileSummary(path, &summary))) {
      *problem = GetErrorInfo();
      return false;
    }
    *seconds = summary.seconds;
    return true;
  }
  if (format == kFormatMp3) return CheckStream(ReadMpegAudioStream, file.get(), path, seconds, problem);
  if (format == kFormatOgg) return CheckStream(ReadOggVorbisFile, file.get(), path, seconds, problem);
  WaveFileLayout layout;
  if (FAILED(ReadWaveFileLayout(file.get(), path, &layout))) {
    *problem = GetErrorInfo();
    return false;
  }
  if (layout.declaredDataBytes != layout.dataBytes || layout.format.nAvgBytesPerSec == 0) {
    *problem = "its header does not match the audio it holds.";
    return false;
  }
  *seconds = static_cast<double>(layout.dataBytes) / layout.format.nAvgBytesPerSec;
  return true;
}

}  // namespace

int RunRecordCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err) {
  RecordOptions options;
  if (!ParseOptions(args, options, err)) return 2;
  int format = kFormatWma;
  if (!options.format) {
    settings.GetFormat(format);
  } else {
    format = *options.format;
    if (!settings.SetFormat(format))
      err << "corvox record: the format could not be stored in the settings file; it is used for this recording "
             "only.\n";
  }

  std::string folder, folderError;
  if (!GetTempFolder(folder, &folderError)) {
    err << "corvox record: no private temporary folder: " << folderError << "\n";
    return 1;
  }
  const RecordingLock lock(PathAppend(folder, kLockFileName));
  if (!lock.Locked()) {
    err << "corvox record: another recording is in progress.\n";
    return 1;
  }
  const std::string temporary = PathAppend(folder, kTemporaryFileName);
  DeleteFile(temporary);
  const std::string extracted = PathAppend(folder, kExtractedFileName);
  DeleteFile(extracted);

  std::string output = options.output;
  if (output.empty()) output = NextOutputFileName(settings);
  const bool replace = !options.output.empty() || output.empty();
  if (output.empty()) output = GetFileNameTemplate(settings);

  MessageLoop loop;
  Recorder recorder(settings);
  recorder.SetFile(temporary, &loop, WM_RECORDER_GRAPH_EVENT);
  recorder.SetExportFormat(format);
  if (format == kFormatWma) {
    WmaConfiguration wma;
    settings.GetWmaConfiguration(wma);
    recorder.SetWmaChoice(wma.codecIndex, wma.formatIndex, wma.vbr != 0);
  }
  ClearErrorInfo();
  if (FAILED(recorder.Build())) {
    err << WithDetail(kBuildFailed) << "\n";
    return 1;
  }
  InterruptGuard interrupts;
  if (FAILED(recorder.Run())) {
    err << WithDetail(kRunFailed) << "\n";
    return 1;
  }
  err << "Recording to " << output << (options.seconds ? "" : " (Ctrl-C stops)") << "...\n";
  HRESULT abortCode = S_OK;
  const StopReason reason =
      WaitForEnd(loop, QueryInterface<IMediaEventEx>(recorder.Graph()), options.seconds, &abortCode);
  const std::string abortDetail = reason == StopReason::Error ? GetErrorInfo() : std::string();
  ClearErrorInfo();
  const HRESULT stopped = recorder.Stop();
  const std::string stopDetail = GetErrorInfo();
  const uint64_t dropouts = recorder.OverrunCount();
  recorder.TearDown();

  // An MP3 recording is saved as the raw MPEG frames of the WAV-wrapped temporary file.
  std::string moveError;
  const bool mp3 = format == kFormatMp3;
  const bool extractedOk = !mp3 || CWavMpegExtractor(temporary, extracted).Extract();
  if (!extractedOk) moveError = "its MPEG audio could not be extracted.";
  const std::string& recording = mp3 && extractedOk ? extracted : temporary;
  if (!extractedOk || !SaveRecording(recording, output, replace, settings, &moveError)) {
    // Out of the way of the next recording, which starts by deleting the temporary file.
    const std::string kept = PathAppend(folder, "corvox_unsaved_" + std::to_string(time(nullptr)) +
                                                    (extractedOk ? ExtensionForFormat(format) : ".wav"));
    const bool moved = MoveFile(recording, kept, MoveMode::KeepExisting);
    err << "corvox record: could not save the recording as " << output << ": " << moveError
        << "\nThe recording is kept in " << (moved ? kept : recording) << "\n";
    return 1;
  }
  if (mp3) DeleteFile(temporary);

  double seconds = 0;
  std::string problem;
  if (!CheckRecording(output, format, &seconds, &problem)) {
    err << "corvox record: the recording in " << output << " is not a valid file: " << problem << "\n";
    return 1;
  }
  out << output << "\n";
  if (dropouts > 0) err << "Dropouts: " << dropouts << " (audio was lost where the recording could not keep up).\n";
  char duration[64];
  std::snprintf(duration, sizeof duration, "%.3f", seconds);
  if (FAILED(stopped)) {
    err << "corvox record: finishing the file failed: " << (stopDetail.empty() ? DescribeResult(stopped) : stopDetail)
        << " " << duration << " seconds were saved.\n";
    return 1;
  }
  if (reason == StopReason::Error) {
    err << "Recording stopped early: " << (abortDetail.empty() ? DescribeResult(abortCode) : abortDetail) << " "
        << duration << " seconds were saved.\n";
    return 1;
  }
  err << "Recorded " << duration << " seconds.\n";
  return 0;
}
