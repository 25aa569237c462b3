#pragma once
// The check for a newer version. On a tick of the main window's update timer, when the machine
// is online, the program's version goes to the update server in a POST on a worker thread;
// when the worker's completion message arrives, an answer naming a download page becomes the
// offer to open it, and the user's answer decides "Last Checked".
//
// Threads: everything here is called on the user-interface thread. The worker thread runs the
// transfer and posts WM_UPDATE_RESPONSE; the user-interface thread touches the UrlPost only
// before the worker starts and after joining it (Cancel, which may meet the worker, is safe).

#include <optional>
#include <string>
#include <thread>

#include "platform/net/InternetClient.h"
#include "platform/ui/Window.h"
#include "settings/SettingsStore.h"
#include "update/UpdateServer.h"
#include "update/UrlPost.h"

// Worker → main window: the transfer finished (wParam: the notify parameter).
constexpr UINT WM_UPDATE_RESPONSE = 1314;
constexpr WPARAM kUpdateNotifyParameter = 2;
constexpr size_t kUpdateChunkSizeBytes = 512;

inline constexpr const char* kUpdateQuestion =
    "An update to Vantro Audio Recorder is currently available.\r\nWould you like to download it?";
// Followed by the address of the product's update web page.
inline constexpr const char* kUpdateOpenFailedMessage =
    "An error occured while retrieving Vantro Audio Recorder update. Please launch the\r\nbrowser and get it from ";

struct UpdateOutcome {
  enum class Kind {
    NoUpdate,         // the server says there is none, or names something that is not a web page
    UpdateAvailable,  // address holds the download page
    NotUnderstood,    // the transfer went through but the answer is not of the expected form
    Failed,           // the transfer failed; error says why
  };
  Kind kind = Kind::NoUpdate;
  std::string address;
  std::string error;
};

class UpdateCheck {
 public:
  explicit UpdateCheck(SettingsStore& settings, InternetClient& client = SystemInternetClient(),
                       UpdateServer server = ConfiguredUpdateServer());
  // Cancels a running transfer.
  ~UpdateCheck();
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  // A tick of the update timer. True when a transfer started: the timer has done its work and
  // is stopped. False while offline (nothing is sent) or while a transfer runs: keep ticking.
  bool Start(HWND window);
  bool Running() const { return m_worker.joinable(); }

  // WM_UPDATE_RESPONSE: joins the finished worker and reads the answer. Nothing when the
  // message is not this check's or no transfer was running.
  std::optional<UpdateOutcome> Complete(WPARAM parameter);
  // The main window's handling of WM_UPDATE_RESPONSE: Complete, then for an available update
  // ask; OK opens the page in the browser, and success or Cancel stores "Last Checked".
  void OnResponse(HWND owner, WPARAM parameter);

  // On close: ends a running transfer (well within 500 ms) and joins the worker. No completion
  // message follows, and handling one posted before does nothing.
  void Cancel();

 private:
  void StoreLastChecked();

  SettingsStore& m_settings;
  InternetClient& m_client;
  UpdateServer m_server;
  UrlPost m_post;
  std::thread m_worker;
};
