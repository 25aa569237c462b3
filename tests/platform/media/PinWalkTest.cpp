#include <gtest/gtest.h>

#include "platform/media/PinWalk.h"
#include "support/FakeSinkPin.h"
#include "support/FakeSourcePin.h"

namespace {

const AM_MEDIA_TYPE kType = MakeAudioMediaType(MakePcmFormat(8000, 1, 16));

// Input, output, input: the walk has to skip pins of the other direction.
class CThreePinFilter : public CBaseFilter {
 public:
  CThreePinFilter() : CBaseFilter(GUID_NULL), m_firstIn(this), m_out(this, kType, {2, 64, 1, 0}), m_secondIn(this) {}

  int GetPinCount() override { return 3; }
  CBasePin* GetPin(int n) override {
    CBasePin* pins[] = {&m_firstIn, &m_out, &m_secondIn};
    return n >= 0 && n < 3 ? pins[n] : nullptr;
  }

  CFakeSinkPin m_firstIn;
  CFakeSourcePin m_out;
  CFakeSinkPin m_secondIn;
};

class CUnlistableFilter : public CThreePinFilter {
 public:
  HRESULT EnumPins(std::unique_ptr<IEnumPins>*) override { return E_OUTOFMEMORY; }
};

TEST(PinWalk, ListsPinsInOrderAndByDirection) {
  CThreePinFilter filter;
  std::vector<IPin*> pins;
  ASSERT_EQ(EnumeratePins(&filter, &pins), S_OK);
  EXPECT_EQ(pins, (std::vector<IPin*>{&filter.m_firstIn, &filter.m_out, &filter.m_secondIn}));
  EXPECT_EQ(PinsOf(&filter), pins);
  EXPECT_EQ(PinsOf(&filter, PINDIR_INPUT), (std::vector<IPin*>{&filter.m_firstIn, &filter.m_secondIn}));
  EXPECT_EQ(PinsOf(&filter, PINDIR_OUTPUT), (std::vector<IPin*>{&filter.m_out}));
}

TEST(PinWalk, FirstPinSkipsConnectedOnesOnlyWhenAsked) {
  CThreePinFilter filter;
  CFakeSinkFilter downstream;
  IPin* pin = nullptr;
  ASSERT_EQ(FindFirstPin(&filter, PINDIR_INPUT, PinConnection::Unconnected, &pin), S_OK);
  EXPECT_EQ(pin, &filter.m_firstIn);

  CSinglePinFilter<CFakeSourcePin> upstream(kType, ALLOCATOR_PROPERTIES{2, 64, 1, 0});
  ASSERT_EQ(upstream.HostedPin().Connect(&filter.m_firstIn, nullptr), S_OK);
  EXPECT_EQ(PeerOf(&filter.m_firstIn), &upstream.HostedPin());
  EXPECT_EQ(PeerOf(&filter.m_secondIn), nullptr);
  EXPECT_EQ(PeerOf(nullptr), nullptr);
  ASSERT_EQ(FindFirstPin(&filter, PINDIR_INPUT, PinConnection::Unconnected, &pin), S_OK);
  EXPECT_EQ(pin, &filter.m_secondIn);
  ASSERT_EQ(FindFirstPin(&filter, PINDIR_INPUT, PinConnection::Any, &pin), S_OK);
  EXPECT_EQ(pin, &filter.m_firstIn);

  ASSERT_EQ(filter.m_out.Connect(&downstream.HostedPin(), nullptr), S_OK);
  EXPECT_EQ(FindFirstPin(&filter, PINDIR_OUTPUT, PinConnection::Unconnected, &pin), S_FALSE);
  EXPECT_EQ(pin, nullptr);
  EXPECT_EQ(FindFirstPin(&downstream, PINDIR_OUTPUT, PinConnection::Any, &pin), S_FALSE);
  EXPECT_EQ(FindFirstPin(&filter, PINDIR_OUTPUT, PinConnection::Any, nullptr), E_POINTER);
  filter.m_out.Disconnect();
  downstream.HostedPin().Disconnect();
  upstream.HostedPin().Disconnect();
  filter.m_firstIn.Disconnect();
}

TEST(PinWalk, AFilterThatCannotListItsPinsPassesItsFailureOn) {
  CUnlistableFilter filter;
  std::vector<IPin*> pins{&filter.m_out};
  EXPECT_EQ(EnumeratePins(&filter, &pins), E_OUTOFMEMORY);
  EXPECT_TRUE(pins.empty());
  EXPECT_TRUE(PinsOf(&filter, PINDIR_INPUT).empty());
  IPin* pin = &filter.m_out;
  EXPECT_EQ(FindFirstPin(&filter, PINDIR_OUTPUT, PinConnection::Any, &pin), E_OUTOFMEMORY);
  EXPECT_EQ(pin, nullptr);
  EXPECT_EQ(EnumeratePins(nullptr, &pins), E_POINTER);
}

}  // namespace
