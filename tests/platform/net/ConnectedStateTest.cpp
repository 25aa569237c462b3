#include <gtest/gtest.h>

#include "platform/net/ConnectedState.h"
#include "support/ScopedEnvironment.h"

namespace {

constexpr const char* kIpv4Title =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

}  // namespace

TEST(ConnectedState, AnIpv4DefaultRouteCountsWhenUpAndNotLoopbackOrReject) {
  const std::string local = "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
  EXPECT_TRUE(Ipv4RoutesHaveDefault(std::string(kIpv4Title) + local +
                                    "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"));
  EXPECT_FALSE(Ipv4RoutesHaveDefault(std::string(kIpv4Title) + local));
  // Down, a reject route, on loopback, or a default destination with a mask: no way out.
  EXPECT_FALSE(Ipv4RoutesHaveDefault(std::string(kIpv4Title) +
                                     "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                                     "eth0\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n"
                                     "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
                                     "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t000000FF\t0\t0\t0\n"));
  // The title line is never a route, and junk is skipped.
  EXPECT_FALSE(Ipv4RoutesHaveDefault("eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\n"));
  EXPECT_FALSE(Ipv4RoutesHaveDefault(std::string(kIpv4Title) + "eth0 zz 00 0003 0 0 0 00000000\nshort\n\n"));
}

TEST(ConnectedState, AnIpv6DefaultRouteCountsButNotTheKernelsRejectRoute) {
  const std::string zero(32, '0');
  const std::string gatewayRoute =
      zero + " 00 " + zero + " 00 fd000000000000000000000000000001 00000400 00000002 " + "00000000 00000003     eth0\n";
  const std::string rejectRoute = zero + " 00 " + zero + " 00 " + zero + " ffffffff 00000001 00000000 00200200 lo\n";
  const std::string linkLocal =
      "fe800000000000000000000000000000 40 " + zero + " 00 " + zero + " 00000100 00000002 00000000 00000001 eth0\n";
  EXPECT_TRUE(Ipv6RoutesHaveDefault(linkLocal + gatewayRoute + rejectRoute));
  EXPECT_FALSE(Ipv6RoutesHaveDefault(linkLocal + rejectRoute));
  EXPECT_FALSE(Ipv6RoutesHaveDefault(""));
}

TEST(ConnectedState, AProxyForPlainHttpCounts) {
  ScopedEnvironment http("http_proxy", "");
  ScopedEnvironment all("all_proxy", "");
  ScopedEnvironment allUpper("ALL_PROXY", "");
  {
    ScopedEnvironment upper("HTTP_PROXY", "http://proxy:3128");
    EXPECT_FALSE(ProxyConfigured());
  }
  ScopedEnvironment set("http_proxy", "http://proxy:3128");
  EXPECT_TRUE(ProxyConfigured());
}
