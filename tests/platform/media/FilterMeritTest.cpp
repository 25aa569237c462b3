#include <gtest/gtest.h>

#include "platform/media/ClassFactory.h"
#include "platform/media/FilterRegistry.h"
#include "platform/media/Graph.h"
#include "support/FakeSinkPin.h"
#include "support/FakeSourcePin.h"
#include "support/SinglePinFilter.h"

namespace {

constexpr CLSID kTestRenderer{0x5EC0A7E1, 0x0001, 0x4C00, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};

// A renderer registered with `merit`, removed again at the end of the test.
class RegisteredRenderer {
 public:
  explicit RegisteredRenderer(uint32_t merit) {
    RegisteredFilter entry;
    entry.clsid = kTestRenderer;
    entry.name = "Test Renderer";
    entry.merit = merit;
    entry.renderer = true;
    entry.create = [] { return std::make_shared<CSinglePinFilter<CFakeSinkPin>>(); };
    RegisterFilter(std::move(entry));
  }
  ~RegisteredRenderer() { UnregisterFilter(kTestRenderer); }
};

HRESULT RenderWith(uint32_t merit) {
  const RegisteredRenderer renderer(merit);
  std::shared_ptr<IGraphBuilder> graph;
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, &graph), S_OK);
  auto source = std::make_shared<CSinglePinFilter<CFakeSourcePin>>(MakeAudioMediaType(MakePcmFormat(8000, 1, 8)),
                                                                   ALLOCATOR_PROPERTIES{1, 1024, 1, 0});
  EXPECT_EQ(graph->AddFilter(source, "Source"), S_OK);
  const HRESULT hr = graph->Render(&source->HostedPin());
  graph->RemoveFilter(source.get());
  return hr;
}

TEST(FilterMerit, AFilterThatMayNotBeUsedIsMadeOnlyByItsClassId) {
  EXPECT_EQ(RenderWith(MERIT_UNLIKELY), S_OK);
  EXPECT_EQ(RenderWith(MERIT_DO_NOT_USE), VFW_E_CANNOT_RENDER);
  const RegisteredRenderer renderer(MERIT_DO_NOT_USE);
  std::shared_ptr<IBaseFilter> made;
  EXPECT_EQ(CoCreateInstance(kTestRenderer, &made), S_OK);
}

}  // namespace
