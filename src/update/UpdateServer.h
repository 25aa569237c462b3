#pragma once
// Where the update check asks and what it says about itself. The server is fixed when the
// program is built; CORVOX_UPDATE_SERVER ("host" or "host:port") in the environment stands in
// for it, for tests and for trying a server out.

#include <string>

#include "platform/net/InternetClient.h"

struct UpdateServer {
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

inline constexpr const char* kUpdateRequestPath = "/cgi-bin/vt_corvox_upcln.pyg?ver=";

UpdateServer ConfiguredUpdateServer();

// Reads "host", "host:port" or "[v6-address]:port"; a port that is not a number from 1 to 65535
// leaves the whole text as the host, which the request then refuses.
UpdateServer ParseUpdateServer(const std::string& text);

// The program's version as four numbers joined by dots.
std::string ProductVersion();

// The web page where the newest version can be fetched by hand.
std::string UpdatePageAddress();
