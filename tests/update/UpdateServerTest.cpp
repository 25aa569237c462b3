#include <gtest/gtest.h>

#include <regex>

#include "support/ScopedEnvironment.h"
#include "update/UpdateServer.h"

TEST(UpdateServer, ReadsAHostWithOrWithoutItsPort) {
  const auto check = [](const std::string& text, const std::string& host, INTERNET_PORT port) {
    const UpdateServer server = ParseUpdateServer(text);
    EXPECT_EQ(server.host, host) << text;
    EXPECT_EQ(server.port, port) << text;
  };
  check("updates.example.org", "updates.example.org", 80);
  check("127.0.0.1:8080", "127.0.0.1", 8080);
  check("[::1]:65535", "::1", 65535);
  check("[::1]", "::1", 80);
  check("::1", "::1", 80);
  // A port that is not one stays part of the host, which the request then refuses.
  check("host:0", "host:0", 80);
  check("host:65536", "host:65536", 80);
  check("host:+80", "host:+80", 80);
  check("host:", "host:", 80);
}

TEST(UpdateServer, TheEnvironmentStandsInForTheBuiltInServer) {
  {
    ScopedEnvironment server("CORVOX_UPDATE_SERVER", "127.0.0.1:1234");
    EXPECT_EQ(ConfiguredUpdateServer().host, "127.0.0.1");
    EXPECT_EQ(ConfiguredUpdateServer().port, 1234);
  }
  ScopedEnvironment unset("CORVOX_UPDATE_SERVER", "");
  EXPECT_FALSE(ConfiguredUpdateServer().host.empty());
  EXPECT_EQ(ConfiguredUpdateServer().port, 80);
}

TEST(UpdateServer, TheVersionIsFourNumbersJoinedByDots) {
  EXPECT_TRUE(std::regex_match(ProductVersion(), std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << ProductVersion();
  EXPECT_EQ(UpdatePageAddress().rfind("http", 0), 0u);
}
