#include <gtest/gtest.h>

#include "update/UpdateResponse.h"

TEST(UpdateResponse, TagsInAnyCaseWithWhiteSpaceAroundAndNothingBetweenMeanNoUpdate) {
  EXPECT_EQ(DownloadAddressFromResponse("  <RESP></RESP>\r\n"), "");
  EXPECT_EQ(DownloadAddressFromResponse("<resp></resp>"), "");
  EXPECT_EQ(DownloadAddressFromResponse("\t\v\f<Resp></rESP> \n\n"), "");
}

TEST(UpdateResponse, TheAddressBetweenTheTagsComesOutInLowerCase) {
  EXPECT_EQ(DownloadAddressFromResponse(" <RESP>HTTP://Example.ORG/Download/Corvox.HTML</RESP>\r\n"),
            "http://example.org/download/corvox.html");
  // White space inside the tags is part of the address, as the server sent it.
  EXPECT_EQ(DownloadAddressFromResponse("<resp> x </resp>"), " x ");
}

TEST(UpdateResponse, AnythingElseIsNotAnAnswer) {
  for (const char* text : {"", "   ", "<resp>http://example.org/", "http://example.org/</resp>", "<resp>", "</resp>",
                           "<resp></resp", "x<resp></resp>", "<resp></resp>x", "<html>busy</html>", "<resp/resp>"}) {
    EXPECT_EQ(DownloadAddressFromResponse(text), std::nullopt) << text;
  }
}

TEST(UpdateResponse, OnlyWebAddressesAreOpened) {
  for (const char* address : {"http://example.org/", "https://example.org/get?v=2#top", "http://h", "HTTP://H/"}) {
    EXPECT_TRUE(IsWebAddress(address)) << address;
  }
  for (const char* address :
       {"", "http://", "https://", "http:///path", "file:///etc/passwd", "ftp://example.org/", "javascript:alert(1)",
        "/usr/bin/xterm", "-e http://x", "httpx://example.org", "http://example.org/a b", "http://example.org/\n",
        "http:example.org", " http://example.org/"}) {
    EXPECT_FALSE(IsWebAddress(address)) << address;
  }
}
