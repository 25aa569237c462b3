#include "update/UpdateCheck.h"

#include <sys/utsname.h>

#include <cstdint>
#include <ctime>
#include <system_error>
#include <vector>

#include "platform/shell/ShellOpen.h"
#include "platform/ui/MessageBox.h"
#include "update/UpdateResponse.h"

namespace {

bool Online(InternetClient& client) {
  DWORD state = 0;
  DWORD flags = 0;
  return client.InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, state) &&
         (state & INTERNET_STATE_CONNECTED) != 0 && client.InternetGetConnectedState(flags);
}

// What the server may use to pick a download: the system and the processor.
std::vector<uint8_t> RequestBody() {
  std::string text = "platform=linux";
  utsname names;
  if (::uname(&names) == 0) text += std::string("&arch=") + names.machine;
  return {text.begin(), text.end()};
}

}  // namespace

UpdateCheck::UpdateCheck(SettingsStore& settings, InternetClient& client, UpdateServer server)
    : m_settings(settings), m_client(client), m_server(std::move(server)), m_post(client) {}

UpdateCheck::~UpdateCheck() { Cancel(); }

bool UpdateCheck::Start(HWND window) {
  if (Running() || !Online(m_client)) return false;
  m_post.Prepare(m_server.host, m_server.port, kUpdateRequestPath + ProductVersion(), RequestBody(),
                 kUpdateChunkSizeBytes, window, kUpdateNotifyParameter);
  try {
    m_worker = std::thread([this] {
      m_post.Send();
      if (!m_post.Cancelled()) {
        PostMessage(m_post.NotifyWindow(), WM_UPDATE_RESPONSE, m_post.NotifyParameter(), 0);
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

std::optional<UpdateOutcome> UpdateCheck::Complete(WPARAM parameter) {
  if (parameter != kUpdateNotifyParameter || !Running()) return std::nullopt;
  m_worker.join();
  UpdateOutcome outcome;
  const std::optional<std::string> address = DownloadAddressFromResponse(m_post.Response());
  if (!address) {
    const bool failed = !m_post.Error().empty();
    outcome.kind = failed ? UpdateOutcome::Kind::Failed : UpdateOutcome::Kind::NotUnderstood;
    if (failed) {
      outcome.error = m_post.Error();
      while (!outcome.error.empty() && outcome.error.back() == '\n') outcome.error.pop_back();
      if (!m_post.ErrorDetail().empty()) outcome.error += ": " + m_post.ErrorDetail();
    }
  } else if (IsWebAddress(*address)) {
    outcome.kind = UpdateOutcome::Kind::UpdateAvailable;
    outcome.address = *address;
  }
  return outcome;
}

void UpdateCheck::OnResponse(HWND owner, WPARAM parameter) {
  const std::optional<UpdateOutcome> outcome = Complete(parameter);
  if (!outcome || outcome->kind != UpdateOutcome::Kind::UpdateAvailable) return;
  if (MessageBox(owner, kUpdateQuestion, MB_OKCANCEL) != IDOK) {
    StoreLastChecked();
    return;
  }
  if (ShellOpen(outcome->address) > 32) {
    StoreLastChecked();
  } else {
    MessageBox(owner, kUpdateOpenFailedMessage + UpdatePageAddress(), MB_ICONERROR);
  }
}

void UpdateCheck::Cancel() {
  m_post.Cancel();
  if (m_worker.joinable()) m_worker.join();
}

void UpdateCheck::StoreLastChecked() {
  // The low half of the 64-bit time.
  m_settings.SetLastChecked(static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr))));
}
