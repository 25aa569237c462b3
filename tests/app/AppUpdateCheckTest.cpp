#include <gtest/gtest.h>

#include <QObject>
#include <chrono>
#include <filesystem>

#include "app/AppUpdateCheck.h"
#include "app/FrameIds.h"
#include "app/UpdateSchedule.h"
#include "app/WindowTimers.h"
#include "platform/net/CurlInternetClient.h"
#include "platform/shell/ShellOpen.h"
#include "platform/ui/MessageLoop.h"
#include "support/LocalHttpServer.h"
#include "support/MessageBoxCapture.h"
#include "support/ScratchFolder.h"

namespace {

class AppUpdateCheckTest : public ::testing::Test {
 protected:
  AppUpdateCheckTest() {
    std::filesystem::create_directory(folder.File("Music"));
    timers.Set(kUpdateCheckTimer, kUpdateCheckDelayMs);
  }

  bool Online() {
    DWORD flags = 0;
    return client.InternetGetConnectedState(flags);
  }

  ScratchFolder folder;
  SettingsStore settings{folder.File("corvox.reg"), folder.File("Music")};
  CurlInternetClient client;
  QObject owner;
  WindowTimers timers{owner};
  MessageLoop window;
};

}  // namespace

TEST_F(AppUpdateCheckTest, OfflineTheTimerKeepsTickingAndNothingIsSent) {
  LocalHttpServer server(LocalHttpServer::Ok("<resp>http://example.org/</resp>"));
  AppUpdateCheck check(settings, timers, nullptr, client, {"127.0.0.1", server.Port()});
  ASSERT_TRUE(client.InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, INTERNET_STATE_DISCONNECTED_BY_USER));
  check.Start(&window);
  check.Start(&window);
  EXPECT_TRUE(timers.IsRunning(kUpdateCheckTimer));
  EXPECT_EQ(timers.PeriodMs(kUpdateCheckTimer), 11928);
  EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(AppUpdateCheckTest, AStartedCheckStopsTheTimerAndItsAnswerIsOffered) {
  if (!Online()) GTEST_SKIP() << "no network route on this machine";
  LocalHttpServer server(LocalHttpServer::Ok("<resp>HTTP://Example.org/Get</resp>"));
  MessageBoxCapture boxes;
  std::string opened;
  const ShellOpenHandler previous = SetShellOpenHandler([&](const std::string& address) {
    opened = address;
    return kShellOpenSucceeded;
  });
  AppUpdateCheck check(settings, timers, nullptr, client, {"127.0.0.1", server.Port()});
  check.Start(&window);
  EXPECT_FALSE(timers.IsRunning(kUpdateCheckTimer));
  MSG message;
  ASSERT_TRUE(window.GetMessage(message, std::chrono::seconds(10)));
  ASSERT_EQ(message.message, WM_UPDATE_RESPONSE);
  // A message for someone else is not this check's.
  check.OnResponse(message.wParam + 1, 0);
  EXPECT_TRUE(boxes.Boxes().empty());
  check.OnResponse(message.wParam, 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kUpdateQuestion);
  EXPECT_EQ(boxes.Boxes()[0].flags, MB_OKCANCEL);
  EXPECT_EQ(opened, "http://example.org/get");
  uint32_t lastChecked = 0;
  EXPECT_TRUE(settings.GetLastChecked(lastChecked));
  SetShellOpenHandler(previous);
}

TEST_F(AppUpdateCheckTest, ClosingEndsATransferToASilentServerAtOnce) {
  if (!Online()) GTEST_SKIP() << "no network route on this machine";
  LocalHttpServer server("", LocalHttpServer::Behaviour::NeverAnswer);
  AppUpdateCheck check(settings, timers, nullptr, client, {"127.0.0.1", server.Port()});
  check.Start(&window);
  const auto start = std::chrono::steady_clock::now();
  check.Shutdown(std::chrono::milliseconds(500));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  MSG message;
  EXPECT_FALSE(window.GetMessage(message, std::chrono::milliseconds(100)));
}
