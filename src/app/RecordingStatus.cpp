#include "app/RecordingStatus.h"

#include "settings/ExportFormat.h"

namespace {

const char* FormatName(int exportFormat) {
  switch (exportFormat) {
    case kFormatWma:
      return "WMA";
    case kFormatMp3:
      return "MP3";
    case kFormatOgg:
      return "Ogg";
    default:
      return "WAV";
  }
}

}  // namespace

std::string RecordingStatusText(int exportFormat, uint64_t dropouts) {
  std::string text = std::string("Recording ") + FormatName(exportFormat) + " audio";
  if (dropouts == 1) text += " (1 dropout)";
  if (dropouts > 1) text += " (" + std::to_string(dropouts) + " dropouts)";
  return text;
}
