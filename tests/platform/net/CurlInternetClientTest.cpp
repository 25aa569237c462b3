#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/CurlInternetClient.h"
#include "support/LocalHttpServer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Opens root, connection and request to the local server; closes them at the end.
class Exchange {
 public:
  Exchange(CurlInternetClient& client, uint16_t port, const std::string& path = "/upload?x=1",
           const std::string& host = "127.0.0.1")
      : client(client) {
    root = client.InternetOpen("Mozilla", INTERNET_OPEN_TYPE_PRECONFIG);
    connection = client.InternetConnect(root, host, port, INTERNET_SERVICE_HTTP);
    request = client.HttpOpenRequest(connection, "POST", path, INTERNET_FLAG_NO_CACHE_WRITE);
  }
  ~Exchange() {
    if (request) client.InternetCloseHandle(request);
    if (connection) client.InternetCloseHandle(connection);
    if (root) client.InternetCloseHandle(root);
  }

  bool Write(const std::string& piece) {
    DWORD written = 0;
    const bool ok = client.InternetWriteFile(request, piece.data(), static_cast<DWORD>(piece.size()), written);
    lastWritten = written;
    return ok;
  }

  // Starts the request and writes its empty body.
  bool SendEmptyBody() { return client.HttpSendRequestEx(request, 0) && Write(""); }

  // Reads until the end or a failure; false on failure. Each read asks for `pieceBytes`.
  bool ReadAll(std::string& answer, DWORD pieceBytes = 511) {
    std::vector<char> buffer(pieceBytes);
    for (;;) {
      DWORD read = 0;
      if (!client.InternetReadFile(request, buffer.data(), pieceBytes, read)) return false;
      if (read == 0) return true;
      EXPECT_LE(read, pieceBytes);
      answer.append(buffer.data(), read);
    }
  }

  CurlInternetClient& client;
  HINTERNET root = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  DWORD lastWritten = 0;
};

// A port on 127.0.0.1 that nobody listens on.
uint16_t ClosedPort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

}  // namespace

TEST(CurlInternetClient, PostsTheBodyInPiecesAndReadsTheAnswer) {
  const std::string answer(3000, 'a');
  LocalHttpServer server(LocalHttpServer::Ok(answer + "<end>"));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_NE(exchange.request, nullptr);

  const std::string body = std::string(700, 'x') + std::string(600, 'y');
  ASSERT_TRUE(client.HttpSendRequestEx(exchange.request, body.size())) << client.InternetGetLastErrorText();
  ASSERT_TRUE(exchange.Write(body.substr(0, 512)));
  ASSERT_TRUE(exchange.Write(body.substr(512, 512)));
  ASSERT_TRUE(exchange.Write(body.substr(1024)));
  EXPECT_EQ(exchange.lastWritten, 276u);
  ASSERT_TRUE(client.HttpEndRequest(exchange.request)) << client.InternetGetLastErrorText();
  std::string received;
  ASSERT_TRUE(exchange.ReadAll(received));
  EXPECT_EQ(received, answer + "<end>");

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/upload?x=1");
  EXPECT_EQ(request.version, "HTTP/1.1");
  EXPECT_EQ(request.headers.at("user-agent"), "Mozilla");
  EXPECT_EQ(request.headers.at("content-length"), "1300");
  EXPECT_EQ(request.headers.at("host"), server.Address());
  EXPECT_EQ(request.body, body);
  // Only what the caller announced: no accept types, no form encoding, no waiting for 100.
  EXPECT_EQ(request.headers.count("accept"), 0u);
  EXPECT_EQ(request.headers.count("content-type"), 0u);
  EXPECT_EQ(request.headers.count("expect"), 0u);
}

TEST(CurlInternetClient, AnEmptyBodyIsOneWriteOfNothing) {
  LocalHttpServer server(LocalHttpServer::Ok("fine"));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(exchange.SendEmptyBody());
  EXPECT_EQ(exchange.lastWritten, 0u);
  ASSERT_TRUE(client.HttpEndRequest(exchange.request));
  std::string received;
  ASSERT_TRUE(exchange.ReadAll(received, 1));
  EXPECT_EQ(received, "fine");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].headers.at("content-length"), "0");
}

TEST(CurlInternetClient, ChunkedAnswersAndErrorStatusesAreReadAsTheirBody) {
  LocalHttpServer chunked(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
      "6\r\n<resp>\r\n7\r\n</resp>\r\n0\r\n\r\n");
  LocalHttpServer missing("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot here!");
  CurlInternetClient client;
  for (const auto& [server, expected] : {std::pair{&chunked, "<resp></resp>"}, std::pair{&missing, "not here!"}}) {
    Exchange exchange(client, server->Port());
    ASSERT_TRUE(client.HttpSendRequestEx(exchange.request, 2));
    ASSERT_TRUE(exchange.Write("hi"));
    ASSERT_TRUE(client.HttpEndRequest(exchange.request)) << client.InternetGetLastErrorText();
    std::string received;
    ASSERT_TRUE(exchange.ReadAll(received));
    EXPECT_EQ(received, expected);
  }
}

TEST(CurlInternetClient, ALargeAnswerArrivesWholeThroughSmallReads) {
  std::string answer(300000, '\0');
  for (size_t i = 0; i < answer.size(); ++i) answer[i] = static_cast<char>('a' + i % 26);
  LocalHttpServer server(LocalHttpServer::Ok(answer));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(exchange.SendEmptyBody());
  ASSERT_TRUE(client.HttpEndRequest(exchange.request));
  std::string received;
  ASSERT_TRUE(exchange.ReadAll(received, 511));
  EXPECT_TRUE(received == answer) << received.size();
}

TEST(CurlInternetClient, WritingPastTheAnnouncedLengthComesOutShort) {
  LocalHttpServer server(LocalHttpServer::Ok(""));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(client.HttpSendRequestEx(exchange.request, 5));
  ASSERT_TRUE(exchange.Write("abc"));
  ASSERT_TRUE(exchange.Write("defgh"));
  EXPECT_EQ(exchange.lastWritten, 2u);
  ASSERT_TRUE(client.HttpEndRequest(exchange.request));
  EXPECT_EQ(server.Requests().at(0).body, "abcde");
}

TEST(CurlInternetClient, EndingBeforeTheWholeBodyIsWrittenFails) {
  LocalHttpServer server(LocalHttpServer::Ok(""));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(client.HttpSendRequestEx(exchange.request, 10));
  ASSERT_TRUE(exchange.Write("abc"));
  EXPECT_FALSE(client.HttpEndRequest(exchange.request));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
}

TEST(CurlInternetClient, NobodyListeningFailsTheSend) {
  CurlInternetClient client;
  Exchange exchange(client, ClosedPort());
  EXPECT_FALSE(client.HttpSendRequestEx(exchange.request, 0));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
  EXPECT_FALSE(client.InternetGetLastErrorText().empty());
}

TEST(CurlInternetClient, RefusesHostsAndPathsThatAreNotPlain) {
  LocalHttpServer server(LocalHttpServer::Ok(""));
  CurlInternetClient client;
  for (const auto& [host, path] : {std::pair<std::string, std::string>{"127.0.0.1/evil", "/x"},
                                   {"user@127.0.0.1", "/x"},
                                   {"127.0.0.1", "/a b"},
                                   {"127.0.0.1", "relative"},
                                   {"127.0.0.1", "/x\r\nInjected: yes"}}) {
    Exchange exchange(client, server.Port(), path, host);
    ASSERT_NE(exchange.request, nullptr);
    EXPECT_FALSE(client.HttpSendRequestEx(exchange.request, 0)) << host << path;
    EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_INVALID_URL);
  }
  EXPECT_EQ(server.Connections(), 0u);
}

TEST(CurlInternetClient, ASilentServerTimesOutAfterTheReceiveTimeout) {
  LocalHttpServer server("", LocalHttpServer::Behaviour::NeverAnswer);
  CurlInternetClient client;
  ASSERT_TRUE(client.InternetSetOption(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, 300));
  Exchange exchange(client, server.Port());
  DWORD timeout = 0;
  ASSERT_TRUE(client.InternetQueryOption(exchange.request, INTERNET_OPTION_RECEIVE_TIMEOUT, timeout));
  EXPECT_EQ(timeout, 300u);
  ASSERT_TRUE(exchange.SendEmptyBody());
  const auto start = Clock::now();
  EXPECT_FALSE(client.HttpEndRequest(exchange.request));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_TIMEOUT);
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(250));
  EXPECT_LT(elapsed, std::chrono::seconds(3));
}

TEST(CurlInternetClient, CancellingFromAnotherThreadEndsAWaitAtOnce) {
  LocalHttpServer server("", LocalHttpServer::Behaviour::NeverAnswer);
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(exchange.SendEmptyBody());
  Clock::time_point cancelledAt;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancelledAt = Clock::now();
    client.InternetCancelRequest(exchange.request);
  });
  const bool ended = client.HttpEndRequest(exchange.request);
  const auto returnedAt = Clock::now();
  canceller.join();
  EXPECT_FALSE(ended);
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_OPERATION_CANCELLED);
  EXPECT_LT(returnedAt - cancelledAt, std::chrono::milliseconds(200));
}

TEST(CurlInternetClient, AnAnswerCutShortIsReadUpToTheCutThenFails) {
  const std::string body(2000, 'z');
  LocalHttpServer server(LocalHttpServer::Ok(body), LocalHttpServer::Behaviour::CloseMidResponse);
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  ASSERT_TRUE(exchange.SendEmptyBody());
  ASSERT_TRUE(client.HttpEndRequest(exchange.request));
  std::string received;
  EXPECT_FALSE(exchange.ReadAll(received));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_CONNECTION_ABORTED);
  EXPECT_FALSE(received.empty());
  EXPECT_LT(received.size(), body.size());
  EXPECT_EQ(received, std::string(received.size(), 'z'));
}

TEST(CurlInternetClient, CallsOutOfOrderOrOnTheWrongHandleFail) {
  LocalHttpServer server(LocalHttpServer::Ok(""));
  CurlInternetClient client;
  Exchange exchange(client, server.Port());
  char buffer[8];
  DWORD count = 0;
  EXPECT_FALSE(client.InternetWriteFile(exchange.request, "a", 1, count));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  EXPECT_FALSE(client.InternetReadFile(exchange.request, buffer, sizeof(buffer), count));
  EXPECT_FALSE(client.HttpEndRequest(exchange.request));
  EXPECT_FALSE(client.HttpSendRequestEx(exchange.connection, 0));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_EQ(client.InternetConnect(exchange.connection, "127.0.0.1", 80, INTERNET_SERVICE_HTTP), nullptr);
  EXPECT_EQ(client.HttpOpenRequest(exchange.root, "POST", "/", 0), nullptr);
  EXPECT_FALSE(client.InternetCloseHandle(nullptr));
  EXPECT_EQ(server.Connections(), 0u);
}

TEST(CurlInternetClient, WorkingOfflineIsAProcessWideStateTheUserSets) {
  CurlInternetClient client;
  DWORD state = 0;
  ASSERT_TRUE(client.InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, state));
  EXPECT_EQ(state, INTERNET_STATE_CONNECTED);
  ASSERT_TRUE(client.InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, INTERNET_STATE_DISCONNECTED_BY_USER));
  ASSERT_TRUE(client.InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, state));
  EXPECT_EQ(state, INTERNET_STATE_DISCONNECTED_BY_USER);
  EXPECT_FALSE(client.InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, 0x7));
  EXPECT_FALSE(client.InternetSetOption(nullptr, 999, 1));
  EXPECT_EQ(client.InternetGetLastError(), ERROR_INTERNET_INVALID_OPTION);
}
