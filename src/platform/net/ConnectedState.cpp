#include "platform/net/ConnectedState.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

constexpr unsigned long kRouteUp = 0x0001;
constexpr unsigned long kRouteReject = 0x0200;

bool ParseHex(const std::string& text, unsigned long& value) {
  if (text.empty() || text.size() > 16) return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 16);
  return *end == '\0';
}

bool UsableRoute(const std::string& interfaceName, unsigned long flags) {
  return interfaceName != "lo" && (flags & kRouteUp) != 0 && (flags & kRouteReject) == 0;
}

std::string ReadFile(const char* path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

bool Ipv4RoutesHaveDefault(std::string_view table) {
  std::istringstream lines{std::string(table)};
  std::string line;
  std::getline(lines, line);  // column titles
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string interfaceName, destination, gateway, flagsText, refCount, use, metric, mask;
    if (!(fields >> interfaceName >> destination >> gateway >> flagsText >> refCount >> use >> metric >> mask)) {
      continue;
    }
    unsigned long destinationValue = 0, flags = 0, maskValue = 0;
    if (!ParseHex(destination, destinationValue) || !ParseHex(flagsText, flags) || !ParseHex(mask, maskValue)) {
      continue;
    }
    if (destinationValue == 0 && maskValue == 0 && UsableRoute(interfaceName, flags)) return true;
  }
  return false;
}

bool Ipv6RoutesHaveDefault(std::string_view table) {
  std::istringstream lines{std::string(table)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string destination, prefixLength, source, sourceLength, nextHop, metric, refCount, use, flagsText,
        interfaceName;
    if (!(fields >> destination >> prefixLength >> source >> sourceLength >> nextHop >> metric >> refCount >> use >>
          flagsText >> interfaceName)) {
      continue;
    }
    unsigned long flags = 0;
    if (!ParseHex(flagsText, flags)) continue;
    if (destination == std::string(32, '0') && prefixLength == "00" && UsableRoute(interfaceName, flags)) return true;
  }
  return false;
}

bool ProxyConfigured() {
  for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

bool SystemHasDefaultRoute() {
  return Ipv4RoutesHaveDefault(ReadFile("/proc/net/route")) || Ipv6RoutesHaveDefault(ReadFile("/proc/net/ipv6_route"));
}
