#include "cli/RecoverCommand.h"

#include "engine/RecordingLock.h"
#include "engine/RecordingRecovery.h"
#include "platform/media/HResult.h"
#include "platform/shell/TempFolder.h"

namespace {

constexpr const char* kUsage = "usage: corvox recover\n";

}  // namespace

int RunRecoverCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                      std::ostream& err) {
  if (!args.empty()) {
    err << kUsage;
    return 2;
  }
  std::string folder, error;
  if (!GetTempFolder(folder, &error)) {
    err << "corvox recover: no private temporary folder: " << error << "\n";
    return 1;
  }
  // A recording that runs holds the lock; its files are not touched.
  RecordingLock lock;
  if (!lock.Acquire(folder)) {
    err << "corvox recover: " << GetErrorInfo() << " Nothing is recovered while it runs.\n";
    return 1;
  }
  const RecoveryReport report = RecoverInterruptedRecording(TemporaryRecordingFile(folder), settings);
  for (const RecoveredFile& recovered : report.recovered) out << recovered.file << "\n";
  out.flush();
  err << DescribeRecovery(report) << "\n";
  return report.found == RecoveryReport::Found::Failed ? 1 : 0;
}
