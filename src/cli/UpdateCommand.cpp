#include "cli/UpdateCommand.h"

#include <chrono>
#include <ostream>

#include "platform/ui/MessageLoop.h"
#include "update/UpdateCheck.h"

int RunUpdateCommand(const std::vector<std::string>& args, SettingsStore& settings, std::ostream& out,
                     std::ostream& err) {
  if (!args.empty()) {
    err << "usage: corvox check-update\n";
    return 2;
  }
  MessageLoop loop;
  UpdateCheck check(settings);
  if (!check.Start(&loop)) {
    err << "The system is offline (no network route and no proxy); nothing was sent.\n";
    return 1;
  }
  // The worker always reports, within the transfer's own timeouts.
  std::optional<UpdateOutcome> outcome;
  while (!outcome) {
    MSG message;
    if (loop.GetMessage(message, std::chrono::seconds(1)) && message.message == WM_UPDATE_RESPONSE) {
      outcome = check.Complete(message.wParam);
    }
  }
  switch (outcome->kind) {
    case UpdateOutcome::Kind::UpdateAvailable:
      out << "An update is available: " << outcome->address << "\n";
      return 0;
    case UpdateOutcome::Kind::NoUpdate:
      out << "No update is available.\n";
      return 0;
    case UpdateOutcome::Kind::NotUnderstood:
      err << "The update server's answer was not understood.\n";
      return 1;
    case UpdateOutcome::Kind::Failed:
      err << "The update check failed: " << outcome->error << "\n";
      return 1;
  }
  return 1;
}
