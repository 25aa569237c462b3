// The multiplexer's pins, the types it takes and its seeking interface.

#include <gtest/gtest.h>

#include <vector>

#include "filters/OggMux.h"
#include "filters/OggMuxRig.h"
#include "filters/VorbisFormat.h"

namespace {

std::string NameOf(IPin* pin) { return pin ? pin->Name() : std::string("<none>"); }

PIN_DIRECTION DirectionOf(IPin* pin) {
  PIN_DIRECTION direction = PINDIR_INPUT;
  pin->QueryDirection(&direction);
  return direction;
}

TEST(OggMuxTest, StartsWithTheOutputAndOneFreeInput) {
  COggMux mux;
  ASSERT_EQ(mux.GetPinCount(), 2);
  EXPECT_EQ(NameOf(mux.GetPin(0)), "Ogg Stream");
  EXPECT_EQ(DirectionOf(mux.GetPin(0)), PINDIR_OUTPUT);
  EXPECT_EQ(NameOf(mux.GetPin(1)), "Stream 0");
  EXPECT_EQ(DirectionOf(mux.GetPin(1)), PINDIR_INPUT);
  EXPECT_EQ(mux.GetPin(2), nullptr);
  CLSID clsid;
  mux.GetClassID(&clsid);
  EXPECT_EQ(clsid, CLSID_OggMux);
}

TEST(OggMuxTest, ConnectingTheFreeInputAddsTheNext) {
  OggMuxRig rig;
  ASSERT_EQ(rig.AddSource(VorbisType(44100)), 0);
  ASSERT_EQ(rig.Mux().GetPinCount(), 3);
  EXPECT_EQ(NameOf(rig.Mux().GetPin(2)), "Stream 1");
  EXPECT_EQ(rig.Mux().GetPin(2)->GetConnected(), nullptr);

  ASSERT_EQ(rig.AddSource(TextType()), 1);
  EXPECT_EQ(rig.Mux().GetPinCount(), 4);
  EXPECT_EQ(NameOf(rig.Mux().GetPin(3)), "Stream 2");
}

TEST(OggMuxTest, ARefusedConnectionAddsNoInput) {
  OggMuxRig rig;
  AM_MEDIA_TYPE stream;
  stream.majortype = MEDIATYPE_Stream;
  stream.subtype = MEDIASUBTYPE_WAVE;
  EXPECT_EQ(rig.AddSource(stream), -1);
  EXPECT_EQ(rig.Mux().GetPinCount(), 2);
}

TEST(OggMuxTest, InputsTakeVorbisTextAndFourccAudioAndVideo) {
  COggMux mux;
  CBasePin* input = mux.GetPin(1);
  const AM_MEDIA_TYPE accepted[] = {VorbisType(44100), TextType(), PcmType(44100, 2, 16),
                                    VideoType(0x32315659, 400000, 320, 240, 12)};
  for (const AM_MEDIA_TYPE& type : accepted) EXPECT_EQ(input->CheckMediaType(&type), S_OK);

  AM_MEDIA_TYPE waveWithoutFourcc = PcmType(44100, 2, 16);
  waveWithoutFourcc.subtype = MEDIASUBTYPE_WAVE;
  AM_MEDIA_TYPE noRate = VorbisType(0);
  AM_MEDIA_TYPE stillVideo = VideoType(0x32315659, 0, 320, 240, 12);
  AM_MEDIA_TYPE audioWithoutFormat = PcmType(44100, 2, 16);
  audioWithoutFormat.formattype = FORMAT_None;
  audioWithoutFormat.format.clear();
  AM_MEDIA_TYPE byteStream;
  byteStream.majortype = MEDIATYPE_Stream;
  byteStream.subtype = MEDIASUBTYPE_Ogg;
  for (const AM_MEDIA_TYPE& type : {waveWithoutFourcc, noRate, stillVideo, audioWithoutFormat, byteStream})
    EXPECT_EQ(input->CheckMediaType(&type), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(OggMuxTest, OutputIsAnOggByteStreamInLargeBuffers) {
  OggMuxRig rig;
  CBasePin* output = rig.Mux().GetPin(0);
  AM_MEDIA_TYPE type;
  ASSERT_EQ(output->GetMediaType(0, &type), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
  EXPECT_EQ(type.subtype, MEDIASUBTYPE_Ogg);
  EXPECT_FALSE(type.bFixedSizeSamples);
  EXPECT_TRUE(type.format.empty());
  EXPECT_EQ(output->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);

  AM_MEDIA_TYPE wave;
  wave.majortype = MEDIATYPE_Stream;
  wave.subtype = MEDIASUBTYPE_WAVE;
  EXPECT_EQ(output->CheckMediaType(&wave), VFW_E_TYPE_NOT_ACCEPTED);

  ASSERT_EQ(rig.ConnectOutput(), S_OK);
  ALLOCATOR_PROPERTIES properties;
  ASSERT_EQ(static_cast<CBaseOutputPin*>(output)->Allocator()->GetProperties(&properties), S_OK);
  EXPECT_GE(properties.cBuffers, 1);
  EXPECT_GE(properties.cbBuffer, 65536);
  EXPECT_EQ(properties.cbAlign, 4);
  EXPECT_EQ(properties.cbPrefix, 0);
}

// A source whose filter reports a duration, as a file source would.
class SeekableSource : public CSinglePinFilter<CFakeSourcePin>, public IMediaSeeking {
 public:
  SeekableSource(AM_MEDIA_TYPE type, REFERENCE_TIME duration)
      : CSinglePinFilter<CFakeSourcePin>(std::move(type), ALLOCATOR_PROPERTIES{1, 4096, 1, 0}), m_duration(duration) {}

  HRESULT GetCapabilities(uint32_t* capabilities) override {
    *capabilities = AM_SEEKING_CanGetDuration | AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetStopPos;
    return S_OK;
  }
  HRESULT CheckCapabilities(uint32_t*) override { return S_OK; }
  HRESULT SetPositions(REFERENCE_TIME* current, uint32_t, REFERENCE_TIME*, uint32_t) override {
    m_lastSeek = current ? *current : -1;
    return S_OK;
  }
  HRESULT GetPositions(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT GetCurrentPosition(REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override {
    *stop = m_duration;
    return S_OK;
  }
  HRESULT GetDuration(REFERENCE_TIME* duration) override {
    *duration = m_duration;
    return S_OK;
  }

  REFERENCE_TIME m_duration;
  REFERENCE_TIME m_lastSeek = -1;
};

TEST(OggMuxTest, SeekingOffersPositionStopAndDurationOnly) {
  COggMux mux;
  uint32_t capabilities = 0;
  ASSERT_EQ(mux.GetCapabilities(&capabilities), S_OK);
  EXPECT_EQ(capabilities, 0x38u);

  capabilities = 0x38;
  EXPECT_EQ(mux.CheckCapabilities(&capabilities), S_OK);
  capabilities = AM_SEEKING_CanGetDuration;
  EXPECT_EQ(mux.CheckCapabilities(&capabilities), S_OK);
  capabilities = AM_SEEKING_CanSeekAbsolute;
  EXPECT_EQ(mux.CheckCapabilities(&capabilities), S_FALSE);
  EXPECT_EQ(capabilities, 0u);
  capabilities = 0x108;
  EXPECT_EQ(mux.CheckCapabilities(&capabilities), S_FALSE);
  EXPECT_EQ(capabilities, 0x08u);
}

TEST(OggMuxTest, TimeFormatsAreMediaTimeAndBytes) {
  COggMux mux;
  GUID format;
  ASSERT_EQ(mux.GetTimeFormat(&format), S_OK);
  EXPECT_EQ(format, TIME_FORMAT_MEDIA_TIME);
  EXPECT_EQ(mux.IsFormatSupported(&TIME_FORMAT_BYTE), S_OK);
  const GUID frames{0x7B785570, 0x8C82, 0x11CF, {0xBC, 0x0C, 0x00, 0xAA, 0x00, 0xAC, 0x74, 0xF6}};
  EXPECT_EQ(mux.IsFormatSupported(&frames), S_FALSE);
  EXPECT_EQ(mux.SetTimeFormat(&frames), E_INVALIDARG);
  EXPECT_EQ(mux.IsUsingTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);

  ASSERT_EQ(mux.SetTimeFormat(&TIME_FORMAT_BYTE), S_OK);
  EXPECT_EQ(mux.IsUsingTimeFormat(&TIME_FORMAT_BYTE), S_OK);
  REFERENCE_TIME duration = 0;
  EXPECT_EQ(mux.GetDuration(&duration), E_FAIL);
}

TEST(OggMuxTest, DurationIsTheLongestUpstreamAndSeeksGoUpstream) {
  COggMux mux;
  REFERENCE_TIME duration = 0;
  EXPECT_EQ(mux.GetDuration(&duration), E_NOTIMPL);

  SeekableSource shorter(TextType(), 50000000);
  SeekableSource longer(TextType(), 70000000);
  ASSERT_EQ(shorter.HostedPin().Connect(mux.GetPin(1), nullptr), S_OK);
  ASSERT_EQ(longer.HostedPin().Connect(mux.GetPin(2), nullptr), S_OK);
  ASSERT_EQ(mux.GetDuration(&duration), S_OK);
  EXPECT_EQ(duration, 70000000);

  REFERENCE_TIME target = 10000000;
  EXPECT_EQ(mux.SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
  EXPECT_EQ(shorter.m_lastSeek, target);
  EXPECT_EQ(longer.m_lastSeek, target);

  shorter.HostedPin().Disconnect();
  longer.HostedPin().Disconnect();
  mux.GetPin(1)->Disconnect();
  mux.GetPin(2)->Disconnect();
}

}  // namespace
