#pragma once
// Whether the machine has a way out to the network, judged from the kernel's routing tables
// and the user's proxy settings; nothing is sent to find out. Self-contained; any thread.

#include <string_view>

// The text of /proc/net/route: true when it holds a default route that is up, not a reject
// route, and not on the loopback interface.
bool Ipv4RoutesHaveDefault(std::string_view table);
// The same for the text of /proc/net/ipv6_route.
bool Ipv6RoutesHaveDefault(std::string_view table);
// True when a proxy for plain HTTP is set: http_proxy, all_proxy or ALL_PROXY (the variables
// libcurl reads for it; an upper-case HTTP_PROXY is ignored there, so here as well).
bool ProxyConfigured();
// Either routing table of this machine has a default route.
bool SystemHasDefaultRoute();
