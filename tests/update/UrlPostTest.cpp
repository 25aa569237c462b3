#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/LocalHttpServer.h"
#include "update/RecordingInternetClient.h"
#include "update/UrlPost.h"

namespace {

using Call = RecordingInternetClient::Call;

std::vector<uint8_t> Bytes(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  return bytes;
}

}  // namespace

TEST(UrlPost, PostsTheBodyIn512BytePiecesAndGathersTheAnswer) {
  const std::string answer = std::string(1200, 'r') + "<done>";
  LocalHttpServer server(LocalHttpServer::Ok(answer));
  RecordingInternetClient client;
  UrlPost post(client);
  const std::vector<uint8_t> body = Bytes(1300);
  post.Prepare("127.0.0.1", server.Port(), "/cgi-bin/check?ver=1.2.3.4", body, 512, nullptr, 2);
  ASSERT_TRUE(post.HandlesOpen());
  post.Send();

  EXPECT_EQ(post.Error(), "");
  EXPECT_EQ(post.Response(), answer);
  EXPECT_EQ(client.Writes(), (std::vector<DWORD>{512, 512, 276}));
  for (DWORD size : client.ReadSizes()) EXPECT_EQ(size, 511u);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/cgi-bin/check?ver=1.2.3.4");
  EXPECT_EQ(requests[0].headers.at("user-agent"), "Mozilla");
  EXPECT_EQ(requests[0].body, std::string(body.begin(), body.end()));
  // Handles of a finished transfer stay open until the next Prepare or the end.
  EXPECT_TRUE(post.HandlesOpen());
}

TEST(UrlPost, BodiesOfWholeChunksAndEmptyBodies) {
  LocalHttpServer server(LocalHttpServer::Ok("ok"));
  RecordingInternetClient whole;
  UrlPost post(whole);
  post.Prepare("127.0.0.1", server.Port(), "/", Bytes(1024), 512, nullptr, 2);
  post.Send();
  EXPECT_EQ(whole.Writes(), (std::vector<DWORD>{512, 512}));

  RecordingInternetClient empty;
  UrlPost emptyPost(empty);
  emptyPost.Prepare("127.0.0.1", server.Port(), "/", {}, 512, nullptr, 2);
  emptyPost.Send();
  EXPECT_EQ(empty.Writes(), (std::vector<DWORD>{0}));
  EXPECT_EQ(emptyPost.Response(), "ok");
  EXPECT_EQ(server.Requests().at(1).body, "");
}

TEST(UrlPost, EachPieceOfTheAnswerCountsUpToItsFirstZeroByte) {
  LocalHttpServer server(LocalHttpServer::Ok(std::string("<resp>\0hidden", 13) + std::string(600, ' ') + "</resp>"));
  RecordingInternetClient client;
  UrlPost post(client);
  post.Prepare("127.0.0.1", server.Port(), "/", {}, 512, nullptr, 2);
  post.Send();
  EXPECT_EQ(post.Response().find('\0'), std::string::npos);
  EXPECT_EQ(post.Response().substr(0, 6), "<resp>");
  EXPECT_EQ(post.Response().find("hidden"), std::string::npos);
  EXPECT_EQ(post.Response().substr(post.Response().size() - 7), "</resp>");
}

TEST(UrlPost, EveryFailureIsCaughtClosesTheHandlesAndKeepsWhatArrived) {
  struct Case {
    Call call;
    const char* message;
  };
  const Case cases[] = {
      {Call::Open, "Could not open connection"},
      {Call::Connect, "Failed to connect"},
      {Call::OpenRequest, "Failed to open request"},
      {Call::SendRequest, "Error on HttpSendRequestEx\n"},
      {Call::ShortWrite, "Less bytes written than requested"},
      {Call::Write, "InternetWriteFile error"},
      {Call::EndRequest, "HttpEndRequest error"},
      {Call::Read, "InternetReadFile failed!"},
  };
  const std::string answer(1500, 'q');
  LocalHttpServer server(LocalHttpServer::Ok(answer));
  for (const Case& failure : cases) {
    SCOPED_TRACE(failure.message);
    RecordingInternetClient client;
    client.failing = failure.call;
    {
      UrlPost post(client);
      post.Prepare("127.0.0.1", server.Port(), "/", Bytes(1300), 512, nullptr, 2);
      post.Send();
      EXPECT_EQ(post.Error(), failure.message);
      EXPECT_EQ(post.ErrorDetail(), "refused by the test");
      EXPECT_FALSE(post.HandlesOpen());
      EXPECT_EQ(client.OpenHandles(), 0);
      if (failure.call == Call::Read) {
        EXPECT_FALSE(post.Response().empty());
        EXPECT_EQ(post.Response(), answer.substr(0, post.Response().size()));
      } else {
        EXPECT_EQ(post.Response(), "");
      }
    }
    EXPECT_EQ(client.OpenHandles(), 0);
  }
}

TEST(UrlPost, ANewPrepareStartsAfresh) {
  LocalHttpServer server(LocalHttpServer::Ok("second"));
  RecordingInternetClient client;
  client.failing = Call::EndRequest;
  UrlPost post(client);
  post.Prepare("127.0.0.1", server.Port(), "/", {}, 512, nullptr, 2);
  post.Send();
  ASSERT_FALSE(post.Error().empty());
  post.Prepare("127.0.0.1", server.Port(), "/", {}, 512, nullptr, 2);
  EXPECT_EQ(post.Error(), "");
  EXPECT_EQ(client.OpenHandles(), 3);
  post.Send();
  EXPECT_EQ(post.Response(), "second");
}
