#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "engine/GraphHelpers.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/RunningObjectTable.h"
#include "support/FakeSinkPin.h"
#include "support/FakeSourcePin.h"

namespace {

TEST(GraphHelpers, PinHelpersFollowTheirContracts) {
  std::shared_ptr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &graph), S_OK);
  auto sink = std::make_shared<CFakeSinkFilter>();
  auto source = std::make_shared<CSinglePinFilter<CFakeSourcePin>>(MakeAudioMediaType(MakePcmFormat(8000, 1, 8)),
                                                                   ALLOCATOR_PROPERTIES{2, 16, 1, 0});
  ASSERT_EQ(graph->AddFilter(sink, "Sink"), S_OK);
  ASSERT_EQ(graph->AddFilter(source, "Source"), S_OK);

  IPin* pin = reinterpret_cast<IPin*>(1);
  EXPECT_EQ(FindPin(sink.get(), PINDIR_OUTPUT, &pin), S_FALSE);
  EXPECT_EQ(pin, nullptr);
  EXPECT_EQ(FindUnconnectedPin(sink.get(), PINDIR_OUTPUT, &pin), E_FAIL);
  EXPECT_EQ(FindPin(sink.get(), PINDIR_INPUT, &pin), S_OK);
  EXPECT_EQ(FindPin(nullptr, PINDIR_INPUT, &pin), E_POINTER);
  EXPECT_EQ(FindUnconnectedPin(sink.get(), PINDIR_INPUT, nullptr), E_POINTER);
  EXPECT_EQ(ConnectFilters(nullptr, source.get(), sink.get()), E_POINTER);
  EXPECT_EQ(ConnectFilters(graph.get(), nullptr, sink.get()), E_POINTER);
  EXPECT_EQ(ConnectFilters(graph.get(), sink.get(), source.get()), E_FAIL);  // no output to start from

  ASSERT_EQ(ConnectFilters(graph.get(), source.get(), sink.get()), S_OK);
  EXPECT_EQ(FindUnconnectedPin(sink.get(), PINDIR_INPUT, &pin), E_FAIL);
  EXPECT_EQ(FindPin(sink.get(), PINDIR_INPUT, &pin), S_OK);  // connected or not
  EXPECT_EQ(pin, &sink->HostedPin());
}

TEST(GraphHelpers, TwoGraphsRegisterUnderDifferentNamesUntilRevoked) {
  std::shared_ptr<IGraphBuilder> one, two;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &one), S_OK);
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &two), S_OK);
  uint32_t cookieOne = 0, cookieTwo = 0;
  ASSERT_EQ(RegisterGraph(one, &cookieOne), S_OK);
  ASSERT_EQ(RegisterGraph(two, &cookieTwo), S_OK);
  IRunningObjectTable* table = nullptr;
  ASSERT_EQ(GetRunningObjectTable(&table), S_OK);
  std::vector<std::string> names = table->RegisteredNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0], names[1]);
  char expected[64];
  std::snprintf(expected, sizeof expected, "!FilterGraph %08x pid %08x",
                static_cast<unsigned>(reinterpret_cast<uintptr_t>(one.get())), static_cast<unsigned>(getpid()));
  EXPECT_EQ(names[0], expected);

  // The table keeps a registered graph alive until it is revoked.
  std::weak_ptr<IGraphBuilder> watch = one;
  one.reset();
  EXPECT_FALSE(watch.expired());
  table->Revoke(cookieOne);
  table->Revoke(cookieTwo);
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(table->RegisteredNames().empty());
}

}  // namespace
