#include "engine/RecordingParts.h"

#include <cstdio>
#include <vector>

#include "platform/media/FileParts.h"
#include "platform/shell/PathHelpers.h"

std::string NumberedOutputName(const std::string& output, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", number);
  return PathRemoveExtension(output) + digits + PathFindExtension(output);
}

FinishResult FinishRecordingInParts(const FinishRequest& request) {
  std::vector<std::string> continuations = ExistingFileParts(request.temporaryFile);
  if (!continuations.empty() && continuations.front() == request.temporaryFile) continuations.erase(continuations.begin());

  FinishResult whole = FinishTemporaryRecording(request);
  // The template's next numbered name when the rule gives one, else numbers after the output
  // name; a name taken meanwhile is passed over.
  int number = 1;
  const std::function<std::string()> nextName = [&] {
    std::string name = request.rule == ReplaceRule::KeepExisting && request.nextOutputName
                           ? request.nextOutputName()
                           : std::string();
    return name.empty() ? NumberedOutputName(request.outputFile, ++number) : name;
  };
  int part = 1;
  for (const std::string& continuation : continuations) {
    ++part;
    FinishRequest next = request;
    next.temporaryFile = continuation;
    next.outputFile = nextName();
    // Only the name the user chose may replace a file; the parts after it never do.
    next.rule = ReplaceRule::KeepExisting;
    next.nextOutputName = nextName;
    const FinishResult result = FinishTemporaryRecording(next);
    whole.continuedIn.push_back(result.file);
    whole.seconds += result.seconds;
    if (result.saved) continue;
    whole.saved = false;
    whole.problem += (whole.problem.empty() ? "" : "\n") + std::string("Its part ") + std::to_string(part) +
                     " could not be saved as " + next.outputFile + ". " + result.problem +
                     (result.file.empty() ? std::string() : " It is kept in " + result.file);
  }
  return whole;
}
