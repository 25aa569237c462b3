#include <gtest/gtest.h>

#include <array>

#include "Mp3TestAudio.h"
#include "filters/MP3EncFilter.h"
#include "filters/MpegFormatRecord.h"
#include "platform/media/ClassFactory.h"
#include "platform/media/Graph.h"
#include "support/FilterHarness.h"

namespace {

using S = Mp3EncoderSettings;

std::shared_ptr<CMP3EncFilter> NewFilter() {
  HRESULT hr = E_FAIL;
  auto filter = std::make_shared<CMP3EncFilter>(&hr);
  EXPECT_EQ(hr, S_OK);
  return filter;
}

FilterHarnessOptions Options(const WAVEFORMATEX& input, long bufferBytes = 17640) {
  FilterHarnessOptions options;
  options.sourceType = MakeAudioMediaType(input);
  options.sourceBuffers = {4, bufferBytes, 1, 0};
  options.sink = HarnessSink::Recorder;
  return options;
}

Bytes Received(FilterHarness& harness) {
  Bytes all;
  for (const ReceivedSample& sample : harness.Sink().Samples())
    all.insert(all.end(), sample.bytes.begin(), sample.bytes.end());
  return all;
}

// Sends `pcm` in pieces of at most `pieceBytes`; false at the first refusal.
bool SendPcm(FilterHarness& harness, const Bytes& pcm, size_t pieceBytes) {
  for (size_t at = 0; at < pcm.size(); at += pieceBytes) {
    const size_t count = std::min(pieceBytes, pcm.size() - at);
    if (harness.Send(std::span(pcm).subspan(at, count)) != S_OK) return false;
  }
  return true;
}

S SettingsOf(CMP3EncFilter& filter) {
  std::array<uint8_t, S::kSizeBytes> bytes{};
  uint32_t size = S::kSizeBytes;
  EXPECT_EQ(filter.GetSettings(bytes.data(), &size), S_OK);
  return S::FromBytes(bytes.data());
}

TEST(MP3EncFilter, IsATransformWithTheDefaultPinsAndItsClassId) {
  auto filter = NewFilter();
  EXPECT_EQ(filter->GetPinCount(), 2);
  EXPECT_EQ(filter->GetPin(0)->Name(), "XForm In");
  EXPECT_EQ(filter->GetPin(1)->Name(), "XForm Out");
  CLSID clsid;
  ASSERT_EQ(filter->GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_MP3EncFilter);
  EXPECT_NE(QueryInterface<IMP3AudioEncProperties>(static_cast<IBaseFilter*>(filter.get())), nullptr);
}

TEST(MP3EncFilter, OffersTheMpegFormatRecordAndAsksForFourBuffersOf48000Bytes) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);

  AM_MEDIA_TYPE type;
  ASSERT_EQ(harness.FilterOutput()->ConnectionMediaType(&type), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
  EXPECT_EQ(type.subtype, MEDIASUBTYPE_MPEG1Audio);
  EXPECT_EQ(type.formattype, FORMAT_WaveFormatEx);
  EXPECT_EQ(type.lSampleSize, 4096u);
  EXPECT_FALSE(type.bTemporalCompression);
  const auto expected = EncodeMpeg1WaveFormat(MakeMpegFormatRecord(SettingsOf(*filter), MakePcmFormat(44100, 2, 16)));
  EXPECT_EQ(type.format, Bytes(expected.begin(), expected.end()));
  EXPECT_EQ(GetLe32(type.format.data() + 8), 16000u);

  EXPECT_EQ(filter->GetMediaType(-1, &type), E_INVALIDARG);
  EXPECT_EQ(filter->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);

  ALLOCATOR_PROPERTIES buffers;
  ASSERT_NE(harness.Sink().Allocator(), nullptr);
  ASSERT_EQ(harness.Sink().Allocator()->GetProperties(&buffers), S_OK);
  EXPECT_EQ(buffers.cBuffers, 4);
  EXPECT_EQ(buffers.cbBuffer, 48000);
}

TEST(MP3EncFilter, RefusesUnlistedRatesAndOtherFormatsAtConnection) {
  WAVEFORMATEX float32 = MakePcmFormat(44100, 2, 32);
  float32.wFormatTag = 3;
  for (const WAVEFORMATEX& refused : {MakePcmFormat(16000, 2, 16), MakePcmFormat(24000, 1, 16),
                                      MakePcmFormat(12000, 2, 16), MakePcmFormat(44100, 2, 8), float32}) {
    auto filter = NewFilter();
    FilterHarness harness(filter, Options(refused));
    EXPECT_TRUE(FAILED(harness.Connect())) << refused.nSamplesPerSec << " Hz, " << refused.wBitsPerSample << " bits";
    EXPECT_EQ(filter->IsInputTypeSet(), E_FAIL);
  }
  AM_MEDIA_TYPE shortBlock = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  shortBlock.format.resize(16);
  auto filter = NewFilter();
  EXPECT_EQ(filter->CheckInputType(&shortBlock), E_INVALIDARG);
  AM_MEDIA_TYPE compressed = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  compressed.bTemporalCompression = true;
  EXPECT_EQ(filter->CheckInputType(&compressed), E_INVALIDARG);

  FilterHarness harness(filter, Options(MakePcmFormat(96000, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  int32_t rate = 0, channels = 0;
  EXPECT_EQ(filter->GetInputSampleRate(&rate), S_OK);
  EXPECT_EQ(filter->GetInputChannels(&channels), S_OK);
  EXPECT_EQ(rate, 96000);
  EXPECT_EQ(channels, 2);
  // A check of another type leaves the format being encoded alone.
  const AM_MEDIA_TYPE other = MakeAudioMediaType(MakePcmFormat(16000, 1, 16));
  EXPECT_NE(harness.FilterInput()->QueryAccept(&other), S_OK);
  EXPECT_EQ(filter->IsInputTypeSet(), S_OK);
  EXPECT_EQ(filter->GetInputSampleRate(&rate), S_OK);
  EXPECT_EQ(rate, 96000);
}

TEST(MP3EncFilter, OutputRateMustMatchTheSettingWhenTheInputRateIsAMultipleOfIt) {
  auto filter = NewFilter();
  const AM_MEDIA_TYPE input = MakeAudioMediaType(MakePcmFormat(88200, 2, 16));
  AM_MEDIA_TYPE output = MakeAudioMediaType(MakePcmFormat(48000, 2, 16));
  EXPECT_EQ(filter->CheckTransform(&input, &output), VFW_E_TYPE_NOT_ACCEPTED);
  output = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  EXPECT_EQ(filter->CheckTransform(&input, &output), S_OK);
  const AM_MEDIA_TYPE notAMultiple = MakeAudioMediaType(MakePcmFormat(48000, 2, 16));
  output = MakeAudioMediaType(MakePcmFormat(32000, 2, 16));
  EXPECT_EQ(filter->CheckTransform(&notAMultiple, &output), S_OK);
  output.format.resize(17);
  EXPECT_EQ(filter->CheckTransform(&input, &output), VFW_E_INVALIDMEDIATYPE);
  ASSERT_EQ(filter->SetOutputSampleRate(0), S_OK);
  output = MakeAudioMediaType(MakePcmFormat(48000, 2, 16));
  EXPECT_EQ(filter->CheckTransform(&input, &output), S_OK);
}

TEST(MP3EncFilter, SettingsStartAtTheDefaultsAndTravelAsEightyBytes) {
  auto filter = NewFilter();
  S defaults;
  defaults[S::kOutputSampleRateHz] = 44100;
  defaults[S::kBitrateKbps] = 128;
  defaults[S::kVbrMinBitrateKbps] = 80;
  defaults[S::kVbrMaxBitrateKbps] = 160;
  defaults[S::kEncodeQuality] = 5;
  defaults[S::kVbrQuality] = 4;
  EXPECT_EQ(SettingsOf(*filter), defaults);

  uint32_t size = 0;
  EXPECT_EQ(filter->GetSettings(nullptr, &size), S_OK);
  EXPECT_EQ(size, 80u);
  EXPECT_EQ(filter->GetSettings(nullptr, nullptr), E_FAIL);
  std::array<uint8_t, 80> bytes{};
  size = 79;
  EXPECT_EQ(filter->GetSettings(bytes.data(), &size), E_FAIL);
  EXPECT_EQ(size, 80u);

  S changed = defaults;
  changed[S::kBitrateKbps] = 320;
  changed.words[7] = 77;
  changed[S::kReserved2] = -19;
  changed.ToBytes(bytes.data());
  EXPECT_EQ(filter->SetSettings(bytes.data(), 79), E_FAIL);
  EXPECT_EQ(SettingsOf(*filter), defaults) << "a refused record changes nothing";
  EXPECT_EQ(filter->SetSettings(bytes.data(), 81), E_FAIL);
  EXPECT_EQ(filter->SetSettings(bytes.data(), 80), S_OK);
  EXPECT_EQ(SettingsOf(*filter), changed);

  // Reset keeps word 19 and the reserved words.
  ASSERT_EQ(filter->ResetDefaults(), S_OK);
  S reset = defaults;
  reset.words[7] = 77;
  reset[S::kReserved2] = -19;
  EXPECT_EQ(SettingsOf(*filter), reset);
}

TEST(MP3EncFilter, EachAccessorReachesItsWord) {
  using Getter = HRESULT (CMP3EncFilter::*)(int32_t*);
  using Setter = HRESULT (CMP3EncFilter::*)(int32_t);
  struct Accessor {
    Getter get;
    Setter set;
    S::Word word;
  };
  const Accessor accessors[] = {
      {&CMP3EncFilter::GetBitrate, &CMP3EncFilter::SetBitrate, S::kBitrateKbps},
      {&CMP3EncFilter::GetVbrMinBitrate, &CMP3EncFilter::SetVbrMinBitrate, S::kVbrMinBitrateKbps},
      {&CMP3EncFilter::GetVbrMaxBitrate, &CMP3EncFilter::SetVbrMaxBitrate, S::kVbrMaxBitrateKbps},
      {&CMP3EncFilter::GetEncodeQuality, &CMP3EncFilter::SetEncodeQuality, S::kEncodeQuality},
      {&CMP3EncFilter::GetVbrQuality, &CMP3EncFilter::SetVbrQuality, S::kVbrQuality},
      {&CMP3EncFilter::GetOutputSampleRate, &CMP3EncFilter::SetOutputSampleRate, S::kOutputSampleRateHz},
      {&CMP3EncFilter::GetChannelMode, &CMP3EncFilter::SetChannelMode, S::kChannelMode},
      {&CMP3EncFilter::GetCrc, &CMP3EncFilter::SetCrc, S::kCrc},
      {&CMP3EncFilter::GetOriginal, &CMP3EncFilter::SetOriginal, S::kOriginal},
      {&CMP3EncFilter::GetCopyright, &CMP3EncFilter::SetCopyright, S::kCopyright},
      {&CMP3EncFilter::GetVbrHardMin, &CMP3EncFilter::SetVbrHardMin, S::kVbrHardMin},
      {&CMP3EncFilter::GetLowpassLimit, &CMP3EncFilter::SetLowpassLimit, S::kLowpassLimit},
      {&CMP3EncFilter::GetFilterBypass, &CMP3EncFilter::SetFilterBypass, S::kFilterBypass},
      {&CMP3EncFilter::GetStrictIso, &CMP3EncFilter::SetStrictIso, S::kStrictIso},
      {&CMP3EncFilter::GetReserved1, &CMP3EncFilter::SetReserved1, S::kReserved1},
      {&CMP3EncFilter::GetForceMidSide, &CMP3EncFilter::SetForceMidSide, S::kForceMidSide},
      {&CMP3EncFilter::GetReserved2, &CMP3EncFilter::SetReserved2, S::kReserved2},
  };
  auto filter = NewFilter();
  int32_t value = 1000;
  for (const Accessor& accessor : accessors) {
    ++value;
    ASSERT_EQ(((*filter).*accessor.set)(value), S_OK);
    EXPECT_EQ(SettingsOf(*filter)[accessor.word], value) << "word " << accessor.word;
    int32_t read = 0;
    EXPECT_EQ(((*filter).*accessor.get)(&read), S_OK);
    EXPECT_EQ(read, value) << "word " << accessor.word;
  }
  // The VBR switch stores 2 and reads back as 1.
  ASSERT_EQ(filter->SetVbrEnabled(1), S_OK);
  EXPECT_EQ(SettingsOf(*filter)[S::kVbrMode], 2);
  int32_t enabled = 0;
  EXPECT_EQ(filter->GetVbrEnabled(&enabled), S_OK);
  EXPECT_EQ(enabled, 1);
  ASSERT_EQ(filter->SetVbrEnabled(0), S_OK);
  EXPECT_EQ(SettingsOf(*filter)[S::kVbrMode], 0);

  int32_t rate = 5;
  EXPECT_EQ(filter->GetInputSampleRate(&rate), E_FAIL);
  EXPECT_EQ(rate, 0);
  EXPECT_EQ(filter->GetInputChannels(&rate), E_FAIL);
  EXPECT_EQ(filter->IsInputTypeSet(), E_FAIL);
}

TEST(MP3EncFilter, EndOfStreamDeliversLamesTailBeforePassingOn) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  const Bytes pcm = TonePcm(44100, 2, 44100);
  ASSERT_TRUE(SendPcm(harness, pcm, 17640));
  const size_t beforeEnd = Received(harness).size();
  ASSERT_EQ(harness.SendEndOfStream(), S_OK);
  EXPECT_TRUE(harness.Sink().AtEndOfStream());
  const Bytes frames = Received(harness);
  EXPECT_GT(frames.size(), beforeEnd);
  const auto summary = Summarise(frames);
  ASSERT_TRUE(summary);
  EXPECT_GE(summary->sampleFrames, 44100u);
  EXPECT_LE(summary->sampleFrames, 44100u + 576 + 529 + 1152 + 1152);

  // Stream times follow the PCM: each sample starts where the previous one ended.
  const auto samples = harness.Sink().Samples();
  ASSERT_GE(samples.size(), 2u);
  ASSERT_TRUE(samples.front().times);
  EXPECT_EQ(samples.front().times->start, 0);
  for (size_t i = 1; i < samples.size(); ++i) {
    ASSERT_TRUE(samples[i].times);
    EXPECT_EQ(samples[i].times->start, samples[i - 1].times->end);
  }
  EXPECT_EQ(samples.back().times->end, kUnitsPerSecond);
}

TEST(MP3EncFilter, ASampleOfFiveSecondsLosesNothing) {
  auto filter = NewFilter();
  ASSERT_EQ(filter->SetBitrate(320), S_OK);
  const long fiveSeconds = 5 * 44100 * 4;
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16), fiveSeconds));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_EQ(harness.Send(TonePcm(44100, 2, 5 * 44100)), S_OK);
  ASSERT_EQ(harness.SendEndOfStream(), S_OK);
  const auto samples = harness.Sink().Samples();
  EXPECT_GE(samples.size(), 5u) << "200 kB of frames take several 48000-byte buffers";
  for (const ReceivedSample& sample : samples) EXPECT_LE(sample.bytes.size(), 48000u);
  const auto summary = Summarise(Received(harness));
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->first.bitrateKbps, 320);
  EXPECT_GE(summary->Seconds(), 5.0);
  EXPECT_LE(summary->Seconds(), 5.1);
}

TEST(MP3EncFilter, MonoInputInStereoModeGivesStereoFramesAndRecord) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(MakePcmFormat(22050, 1, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  AM_MEDIA_TYPE type;
  ASSERT_EQ(harness.FilterOutput()->ConnectionMediaType(&type), S_OK);
  EXPECT_EQ(GetLe16(type.format.data() + 2), 2);
  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_TRUE(SendPcm(harness, TonePcm(22050, 1, 22050), 4410));
  ASSERT_EQ(harness.SendEndOfStream(), S_OK);
  const auto summary = Summarise(Received(harness));
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->first.Channels(), 2);
  EXPECT_EQ(summary->first.sampleRateHz, 44100);
}

TEST(MP3EncFilter, FlushDeliversTheTailAsOneSampleAndClosesTheEncoder) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  ASSERT_EQ(harness.Run(), S_OK);
  ASSERT_TRUE(SendPcm(harness, TonePcm(44100, 2, 22050), 17640));
  const size_t before = harness.Sink().Samples().size();
  ASSERT_EQ(harness.FilterInput()->BeginFlush(), S_OK);
  const auto samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size(), before + 1);
  EXPECT_FALSE(samples.back().times) << "the flushed tail carries no stream times";
  EXPECT_TRUE(Summarise(Received(harness)));
  ASSERT_EQ(harness.FilterInput()->EndFlush(), S_OK);

  // Until the next start the encoder stays closed: samples make no frames.
  ASSERT_EQ(harness.Send(TonePcm(44100, 2, 4410)), S_OK);
  EXPECT_EQ(harness.Sink().Samples().size(), before + 1);
}

TEST(MP3EncFilter, ANewInputFormatIsOfferedToTheConnectedOutput) {
  std::shared_ptr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, &graph), S_OK);
  const ALLOCATOR_PROPERTIES buffers{4, 4096, 1, 0};
  auto first =
      std::make_shared<CSinglePinFilter<CFakeSourcePin>>(MakeAudioMediaType(MakePcmFormat(44100, 2, 16)), buffers);
  auto second =
      std::make_shared<CSinglePinFilter<CFakeSourcePin>>(MakeAudioMediaType(MakePcmFormat(48000, 1, 16)), buffers);
  auto sink = std::make_shared<CSinglePinFilter<CFakeSinkPin>>(std::nullopt);
  auto filter = NewFilter();
  for (const auto& [added, name] : std::vector<std::pair<std::shared_ptr<IBaseFilter>, std::string>>{
           {first, "First"}, {second, "Second"}, {filter, "MP3"}, {sink, "Sink"}})
    ASSERT_EQ(graph->AddFilter(added, name), S_OK);
  ASSERT_EQ(graph->ConnectDirect(&first->HostedPin(), filter->InputPin(), nullptr), S_OK);
  ASSERT_EQ(graph->ConnectDirect(filter->OutputPin(), &sink->HostedPin(), nullptr), S_OK);
  EXPECT_EQ(GetLe16(sink->HostedPin().CurrentMediaType().format.data() + 2), 2);

  ASSERT_EQ(filter->SetChannelMode(S::kChannelModeMono), S_OK);
  ASSERT_EQ(graph->Disconnect(filter->InputPin()), S_OK);
  ASSERT_EQ(graph->ConnectDirect(&second->HostedPin(), filter->InputPin(), nullptr), S_OK);
  ASSERT_TRUE(sink->HostedPin().IsConnected());
  const AM_MEDIA_TYPE& offered = sink->HostedPin().CurrentMediaType();
  const auto expected = EncodeMpeg1WaveFormat(MakeMpegFormatRecord(SettingsOf(*filter), MakePcmFormat(48000, 1, 16)));
  EXPECT_EQ(offered.format, Bytes(expected.begin(), expected.end()));
  EXPECT_EQ(GetLe16(offered.format.data() + 2), 1);
  for (IBaseFilter* f : std::initializer_list<IBaseFilter*>{first.get(), second.get(), filter.get(), sink.get()})
    graph->RemoveFilter(f);
}

TEST(MP3EncFilter, SettingsLameCannotUseFailTheStart) {
  auto filter = NewFilter();
  ASSERT_EQ(filter->SetChannelMode(9), S_OK);
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  EXPECT_EQ(harness.Pause(), E_FAIL);
}

TEST(MP3EncFilter, EachRunStartsAFreshEncoder) {
  auto filter = NewFilter();
  FilterHarness harness(filter, Options(MakePcmFormat(44100, 2, 16)));
  ASSERT_EQ(harness.Connect(), S_OK);
  const Bytes pcm = TonePcm(44100, 2, 8820);
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(harness.Run(), S_OK);
    ASSERT_TRUE(SendPcm(harness, pcm, 17640));
    // Stopped without end of stream: what LAME held must not leak into the next run.
    ASSERT_EQ(harness.Stop(), S_OK);
  }
  const auto samples = harness.Sink().Samples();
  ASSERT_EQ(samples.size() % 2, 0u);
  const size_t half = samples.size() / 2;
  for (size_t i = 0; i < half; ++i) EXPECT_EQ(samples[i].bytes, samples[half + i].bytes) << "sample " << i;
}

}  // namespace
