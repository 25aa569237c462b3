#include <gtest/gtest.h>

#include "platform/audio/AudioBackendSelection.h"
#include "platform/audio/CPcmConverterFilter.h"
#include "platform/media/FilterGraph.h"
#include "support/FakeSinkPin.h"
#include "support/FakeSourcePin.h"
#include "support/WavBytes.h"

namespace {

using Source = CSinglePinFilter<CFakeSourcePin>;
using Sink = CSinglePinFilter<CFakeSinkPin>;

// Intelligent connect puts the converter between a source and a sink that does not take the
// source's format, and it converts channels and sample size on the way.
TEST(PcmConverterFilterTest, IntelligentConnectConvertsWhereTheSinkNeedsIt) {
  SelectAudioBackend("virtual");  // registers the converter
  auto source =
      std::make_shared<Source>(MakeAudioMediaType(MakePcmFormat(8000, 1, 24)), ALLOCATOR_PROPERTIES{2, 300, 1, 0});
  auto sink = std::make_shared<Sink>(MakeAudioMediaType(MakePcmFormat(8000, 2, 16)));
  CFilterGraph graph;
  ASSERT_EQ(graph.AddFilter(source, "Source"), S_OK);
  ASSERT_EQ(graph.AddFilter(sink, "Sink"), S_OK);
  ASSERT_EQ(graph.Connect(&source->HostedPin(), &sink->HostedPin()), S_OK);
  std::shared_ptr<IBaseFilter> converter;
  ASSERT_EQ(graph.FindFilterByName("PCM Converter", &converter), S_OK);

  ASSERT_EQ(graph.Run(), S_OK);
  ASSERT_EQ(source->HostedPin().Send(PcmBytes(24, {0x123456, -0x400000, 0x7FFFFF})), S_OK);
  ASSERT_TRUE(sink->HostedPin().WaitForSamples(1, 2000));
  EXPECT_EQ(sink->HostedPin().AllBytes(), PcmBytes(16, {0x1234, 0x1234, -0x4000, -0x4000, 0x7FFF, 0x7FFF}));
  ASSERT_EQ(graph.Stop(), S_OK);
}

TEST(PcmConverterFilterTest, RefusesWhatIsNotIntegerPcmOrChangesTheRate) {
  CPcmConverterFilter converter;
  WAVEFORMATEX mp3 = MakePcmFormat(44100, 2, 16);
  mp3.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  const AM_MEDIA_TYPE pcm = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  const AM_MEDIA_TYPE compressed = MakeAudioMediaType(mp3);
  const AM_MEDIA_TYPE twelveBits = MakeAudioMediaType(MakePcmFormat(44100, 2, 12));
  const AM_MEDIA_TYPE otherRate = MakeAudioMediaType(MakePcmFormat(48000, 1, 16));
  EXPECT_EQ(converter.CheckInputType(&pcm), S_OK);
  EXPECT_NE(converter.CheckInputType(&compressed), S_OK);
  EXPECT_NE(converter.CheckInputType(&twelveBits), S_OK);
  EXPECT_NE(converter.CheckTransform(&pcm, &otherRate), S_OK);
  const AM_MEDIA_TYPE mono8 = MakeAudioMediaType(MakePcmFormat(44100, 1, 8));
  EXPECT_EQ(converter.CheckTransform(&pcm, &mono8), S_OK);
}

}  // namespace
