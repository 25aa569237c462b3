#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/shell/ShellOpen.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageLoop.h"
#include "support/LocalHttpServer.h"
#include "support/ScratchFolder.h"
#include "update/RecordingInternetClient.h"
#include "update/UpdateCheck.h"

namespace {

using Clock = std::chrono::steady_clock;
using Call = RecordingInternetClient::Call;
constexpr uint32_t kEarlierCheck = 12345;

class UpdateCheckTest : public ::testing::Test {
 protected:
  UpdateCheckTest() {
    std::filesystem::create_directory(folder.File("Music"));
    settings.SetLastChecked(kEarlierCheck);
    m_previousBox = SetMessageBoxHandler([this](HWND, const std::string& text, UINT flags) {
      boxes.push_back({text, flags});
      return flags == MB_OKCANCEL ? answer : IDOK;
    });
    m_previousOpen = SetShellOpenHandler([this](const std::string& address) {
      opened.push_back(address);
      return openResult;
    });
  }
  ~UpdateCheckTest() override {
    SetMessageBoxHandler(m_previousBox);
    SetShellOpenHandler(m_previousOpen);
  }

  // Starts a check against `server` and waits for its completion message.
  bool RunCheck(UpdateCheck& check, MSG& message) {
    if (!check.Start(&loop)) return false;
    return loop.GetMessage(message, std::chrono::seconds(10));
  }

  // A whole check against a server giving `answer`, handled as the main window does.
  void CheckAgainst(const std::string& serverAnswer) {
    LocalHttpServer server(LocalHttpServer::Ok(serverAnswer));
    UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
    MSG message;
    ASSERT_TRUE(RunCheck(check, message));
    check.OnResponse(nullptr, message.wParam);
  }

  uint32_t LastChecked() {
    uint32_t seconds = 0;
    EXPECT_TRUE(settings.GetLastChecked(seconds));
    return seconds;
  }

  void ExpectLastCheckedNow() {
    const auto now = static_cast<uint32_t>(std::time(nullptr));
    EXPECT_LE(now - LastChecked(), 5u);
  }

  struct Box {
    std::string text;
    UINT flags;
  };

  ScratchFolder folder;
  SettingsStore settings{folder.File("corvox.reg"), folder.File("Music")};
  RecordingInternetClient client;
  MessageLoop loop;
  std::vector<Box> boxes;
  int answer = IDOK;
  std::vector<std::string> opened;
  intptr_t openResult = kShellOpenSucceeded;

 private:
  MessageBoxHandler m_previousBox;
  ShellOpenHandler m_previousOpen;
};

}  // namespace

TEST_F(UpdateCheckTest, AsksTheServerWithTheProgramsVersionOnAWorkerAndReportsWithParameter2) {
  LocalHttpServer server(LocalHttpServer::Ok("<resp></resp>"));
  UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
  MSG message;
  ASSERT_TRUE(RunCheck(check, message));
  EXPECT_EQ(message.message, WM_UPDATE_RESPONSE);
  EXPECT_EQ(message.wParam, kUpdateNotifyParameter);

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/cgi-bin/vt_corvox_upcln.pyg?ver=" + ProductVersion());
  EXPECT_EQ(requests[0].headers.at("user-agent"), "Mozilla");
  EXPECT_FALSE(requests[0].body.empty());
  for (DWORD piece : client.Writes()) EXPECT_LE(piece, 512u);

  const auto outcome = check.Complete(message.wParam);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->kind, UpdateOutcome::Kind::NoUpdate);
  EXPECT_FALSE(check.Running());
}

TEST_F(UpdateCheckTest, OfflineNothingIsSentAndTheTimerKeepsTicking) {
  LocalHttpServer server(LocalHttpServer::Ok("<resp>http://example.org/</resp>"));
  UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
  client.offline = true;
  EXPECT_FALSE(check.Start(&loop));
  EXPECT_FALSE(check.Start(&loop));
  client.offline = false;
  ASSERT_TRUE(client.InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, INTERNET_STATE_DISCONNECTED_BY_USER));
  EXPECT_FALSE(check.Start(&loop));
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(client.OpenHandles(), 0);
  MSG message;
  EXPECT_FALSE(loop.GetMessage(message, std::chrono::milliseconds(50)));
  EXPECT_EQ(server.Connections(), 0u);
  // Back online, the next tick goes through.
  ASSERT_TRUE(client.InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, INTERNET_STATE_CONNECTED));
  EXPECT_TRUE(check.Start(&loop));
}

TEST_F(UpdateCheckTest, AnEmptyAnswerInCapitalsWithSpacesAsksNothing) {
  CheckAgainst("  <RESP></RESP>\r\n");
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(LastChecked(), kEarlierCheck);
}

TEST_F(UpdateCheckTest, OkOpensTheAddressInLowerCaseAndStoresTheTime) {
  CheckAgainst("<resp>HTTP://Example.ORG/Corvox/Download</resp>");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "An update to Vantro Audio Recorder is currently available.\r\nWould you like to download it?");
  EXPECT_EQ(boxes[0].flags, MB_OKCANCEL);
  EXPECT_EQ(opened, std::vector<std::string>{"http://example.org/corvox/download"});
  ExpectLastCheckedNow();
}

TEST_F(UpdateCheckTest, AFailedOpenShowsWhereToGetItAndKeepsTheOldTime) {
  openResult = SE_ERR_NOASSOC;
  CheckAgainst("<resp>https://example.org/get</resp>");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text,
            "An error occured while retrieving Vantro Audio Recorder update. Please launch the\r\nbrowser and get it "
            "from " +
                UpdatePageAddress());
  EXPECT_EQ(boxes[1].flags, MB_ICONERROR);
  EXPECT_EQ(LastChecked(), kEarlierCheck);
}

TEST_F(UpdateCheckTest, CancelStoresTheTimeAndOpensNothing) {
  answer = IDCANCEL;
  CheckAgainst("<resp>https://example.org/get</resp>");
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(opened.empty());
  ExpectLastCheckedNow();
}

TEST_F(UpdateCheckTest, AnswersWithoutTheClosingTagOrWithoutAWebAddressAreIgnored) {
  for (const char* serverAnswer : {"<resp>http://example.org/", "<resp>file:///etc/passwd</resp>",
                                   "<resp>/usr/bin/xterm</resp>", "<resp>javascript:alert(1)</resp>"}) {
    CheckAgainst(serverAnswer);
  }
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(LastChecked(), kEarlierCheck);
}

TEST_F(UpdateCheckTest, AnAnswerCutShortEndsQuietly) {
  // Cut in the body, well after the head.
  LocalHttpServer server(LocalHttpServer::Ok("<resp>http://example.org/" + std::string(400, 'v') + "</resp>"),
                         LocalHttpServer::Behaviour::CloseMidResponse);
  UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
  MSG message;
  ASSERT_TRUE(RunCheck(check, message));
  const auto outcome = check.Complete(message.wParam);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->kind, UpdateOutcome::Kind::Failed);
  EXPECT_EQ(outcome->error.rfind("InternetReadFile failed!", 0), 0u) << outcome->error;
  EXPECT_EQ(client.OpenHandles(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(LastChecked(), kEarlierCheck);
}

TEST_F(UpdateCheckTest, EveryFailureEndsWithTheCompletionMessageAndClosedHandles) {
  // Longer than one read, so a failing read leaves it incomplete.
  LocalHttpServer server(LocalHttpServer::Ok("<resp>http://example.org/" + std::string(600, 'p') + "</resp>"));
  for (Call call : {Call::Open, Call::Connect, Call::OpenRequest, Call::SendRequest, Call::ShortWrite, Call::Write,
                    Call::EndRequest, Call::Read}) {
    RecordingInternetClient failing;
    failing.failing = call;
    UpdateCheck check(settings, failing, {"127.0.0.1", server.Port()});
    MSG message;
    ASSERT_TRUE(check.Start(&loop));
    ASSERT_TRUE(loop.GetMessage(message, std::chrono::seconds(10)));
    EXPECT_EQ(message.message, WM_UPDATE_RESPONSE);
    check.OnResponse(nullptr, message.wParam);
    EXPECT_EQ(failing.OpenHandles(), 0);
    EXPECT_FALSE(check.Running());
  }
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(LastChecked(), kEarlierCheck);
}

TEST_F(UpdateCheckTest, OneTransferAtATimeAndCloseEndsASilentServerAtOnce) {
  LocalHttpServer server("", LocalHttpServer::Behaviour::NeverAnswer);
  UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
  ASSERT_TRUE(check.Start(&loop));
  EXPECT_FALSE(check.Start(&loop));
  const auto waitUntil = Clock::now() + std::chrono::seconds(5);
  while (server.Requests().empty() && Clock::now() < waitUntil)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(server.Requests().size(), 1u);
  // A message for someone else leaves the transfer alone.
  EXPECT_FALSE(check.Complete(kUpdateNotifyParameter + 1));
  EXPECT_TRUE(check.Running());

  const auto start = Clock::now();
  check.Cancel();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_FALSE(check.Running());
  EXPECT_EQ(client.OpenHandles(), 0);
  MSG message;
  EXPECT_FALSE(loop.GetMessage(message, std::chrono::milliseconds(100)));
  EXPECT_FALSE(check.Complete(kUpdateNotifyParameter));
  EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(UpdateCheckTest, DestroyingTheCheckMidTransferDoesNotHang) {
  LocalHttpServer server("", LocalHttpServer::Behaviour::NeverAnswer);
  const auto start = Clock::now();
  {
    UpdateCheck check(settings, client, {"127.0.0.1", server.Port()});
    ASSERT_TRUE(check.Start(&loop));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}
