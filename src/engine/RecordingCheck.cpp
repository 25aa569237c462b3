#include "engine/RecordingCheck.h"

#include <cstdio>
#include <memory>

#include "filters/MpegAudioStream.h"
#include "filters/OggVorbisFile.h"
#include "platform/media/WaveFileLayout.h"
#include "platform/wmf/AsfFileSummary.h"
#include "settings/ExportFormat.h"

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

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

bool CheckWma(const std::string& path, double* seconds, std::string* problem) {
  AsfFileSummary summary;
  if (FAILED(ReadAsfFileSummary(path, &summary))) {
    *problem = GetErrorInfo();
    return false;
  }
  *seconds = summary.seconds;
  return true;
}

bool CheckWav(std::FILE* file, const std::string& path, double* seconds, std::string* problem) {
  WaveFileLayout layout;
  if (FAILED(ReadWaveFileLayout(file, path, &layout))) {
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

bool CheckRecording(const std::string& path, int format, double* seconds, std::string* problem) {
  File file(std::fopen(path.c_str(), "rbe"), std::fclose);
  if (!file) {
    *problem = "it cannot be opened.";
    return false;
  }
  switch (format) {
    case kFormatWma:
      return CheckWma(path, seconds, problem);
    case kFormatMp3:
      return CheckStream(ReadMpegAudioStream, file.get(), path, seconds, problem);
    case kFormatOgg:
      return CheckStream(ReadOggVorbisFile, file.get(), path, seconds, problem);
    default:
      return CheckWav(file.get(), path, seconds, problem);
  }
}
