#include "update/UpdateServer.h"

#include <cstdlib>
#include <string>

#define CORVOX_TEXT_OF(value) #value
#define CORVOX_TEXT(value) CORVOX_TEXT_OF(value)

UpdateServer ConfiguredUpdateServer() {
  const char* configured = std::getenv("CORVOX_UPDATE_SERVER");
  return ParseUpdateServer(configured && *configured ? configured : CORVOX_UPDATE_HOST);
}

UpdateServer ParseUpdateServer(const std::string& text) {
  std::string host;
  std::string portText;
  if (!text.empty() && text.front() == '[') {
    const size_t closing = text.find(']');
    if (closing == std::string::npos) return {text};
    host = text.substr(1, closing - 1);
    if (closing + 1 == text.size()) return {host};
    if (text[closing + 1] != ':') return {text};
    portText = text.substr(closing + 2);
  } else {
    const size_t colon = text.find(':');
    // No colon: a name alone. More than one: a v6 address without brackets, so without a port.
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) return {text};
    host = text.substr(0, colon);
    portText = text.substr(colon + 1);
  }
  if (portText.empty() || portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos) {
    return {text};
  }
  const unsigned long port = std::stoul(portText);
  if (port < 1 || port > 65535) return {text};
  return {host, static_cast<INTERNET_PORT>(port)};
}

std::string ProductVersion() {
  return CORVOX_TEXT(CORVOX_VERSION_MAJOR) "." CORVOX_TEXT(CORVOX_VERSION_MINOR) "." CORVOX_TEXT(
      CORVOX_VERSION_PATCH) "." CORVOX_TEXT(CORVOX_VERSION_TWEAK);
}

std::string UpdatePageAddress() { return CORVOX_UPDATE_PAGE; }
