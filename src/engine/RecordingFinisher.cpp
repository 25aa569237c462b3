#include "engine/RecordingFinisher.h"

#include "engine/RecordingCheck.h"
#include "engine/RecordingRepair.h"
#include "engine/UnsavedRecording.h"
#include "filters/WavMpegExtractor.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "settings/ExportFormat.h"
#include "settings/OutputFileNaming.h"

namespace {

constexpr const char* kExtractedFileName = "corvox_temp.mp3";

}  // namespace

FinishResult FinishTemporaryRecording(const FinishRequest& request) {
  FinishResult result;
  if (!PathFileExists(request.temporaryFile)) {
    result.problem = "Nothing was recorded.";
    return result;
  }
  std::string recording = request.temporaryFile;
  std::string extension = ExtensionForFormat(request.format);
  bool valid = true;
  if (request.cutOff) {
    RepairedRecording repaired;
    std::string unrepairable;  // the check below says what is wrong with such a recording
    if (RepairRecording(request.temporaryFile, request.format, &repaired, &unrepairable)) recording = repaired.file;
  }
  // The MP3 chain writes its frames wrapped in WAV; a repair has taken them out already.
  if (request.format == kFormatMp3 && recording == request.temporaryFile) {
    const std::string extracted = PathAppend(request.folder, kExtractedFileName);
    DeleteFile(extracted);
    if (CWavMpegExtractor(request.temporaryFile, extracted).Extract()) {
      recording = extracted;
    } else {
      DeleteFile(extracted);
      extension = ".wav";
      valid = false;
      result.problem = "Its MPEG audio could not be extracted.";
    }
  }
  std::string problem;
  if (valid && !CheckRecording(recording, request.format, &result.seconds, &problem)) {
    valid = false;
    result.problem = "It is not a valid file: " + problem;
  }
  std::string output = request.outputFile;
  if (valid && SaveRecording(recording, &output, request.rule, request.nextOutputName, &result.problem)) {
    result.saved = true;
    result.file = output;
  } else if (!KeepUnsaved(recording, request.folder, extension, &result.file, nullptr)) {
    result.file = recording;
  }
  // The extracted or repaired file is the recording now.
  if (recording != request.temporaryFile) DeleteFile(request.temporaryFile);
  return result;
}
