#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "filters/TimeScale.h"
#include "filters/VorbisDec.h"
#include "filters/VorbisDecRig.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr long kRate = 44100;

// One second of stereo: 440 Hz at 0.5 on the left, 660 Hz at 0.25 on the right.
const VorbisTestStream& StereoStream() {
  static const VorbisTestStream stream =
      EncodeVorbisStream(kRate, {Sine(kRate, 440, kRate, 0.5), Sine(kRate, 660, kRate, 0.25)});
  return stream;
}

std::vector<VorbisTestPacket> Headers(const VorbisTestStream& stream) {
  return {stream.packets.begin(), stream.packets.begin() + 3};
}

std::vector<VorbisTestPacket> Audio(const VorbisTestStream& stream, size_t from = 0) {
  return {stream.packets.begin() + 3 + static_cast<long>(from), stream.packets.end()};
}

int64_t FramesIn(const ReceivedSample& sample, int blockAlign) {
  return static_cast<int64_t>(sample.bytes.size()) / blockAlign;
}

REFERENCE_TIME TimeAt(int64_t frames, long rateHz = kRate) { return ScaleRounded(frames, kUnitsPerSecond, rateHz); }

// Decodes the whole stream into floats, as the reference for the other tests.
std::vector<float> DecodeAll(const VorbisTestStream& stream) {
  VorbisDecRig rig(stream.channels, stream.rateHz, true);
  EXPECT_EQ(rig.Connect(), S_OK);
  EXPECT_EQ(rig.Run(), S_OK);
  EXPECT_EQ(rig.SendAll(stream.packets), S_OK);
  EXPECT_EQ(rig.EndOfStream(), S_OK);
  return rig.OutputFloat();
}

}  // namespace

// ---- Connection ----

TEST(VorbisDecTypes, StereoOffersSixteenBitFirstThenFloat) {
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  AM_MEDIA_TYPE type;
  ASSERT_EQ(rig.Decoder().GetMediaType(0, &type), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Audio);
  EXPECT_EQ(type.subtype, MEDIASUBTYPE_PCM);
  EXPECT_FALSE(type.bFixedSizeSamples);
  EXPECT_FALSE(type.bTemporalCompression);
  // Tag 1, 2 channels, 44100 Hz, 176400 bytes/s, block 4, 16 bits, no extra bytes.
  EXPECT_EQ(type.format, (Bytes{1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 0, 0}));
  ASSERT_EQ(rig.Decoder().GetMediaType(1, &type), S_OK);
  EXPECT_EQ(type.format, (Bytes{3, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x20, 0x62, 5, 0, 8, 0, 32, 0, 0, 0}));
  EXPECT_EQ(rig.Decoder().GetMediaType(2, &type), VFW_S_NO_MORE_ITEMS);
  EXPECT_EQ(rig.Decoder().GetMediaType(-1, &type), E_INVALIDARG);

  AM_MEDIA_TYPE agreed;
  ASSERT_EQ(rig.Harness().FilterOutput()->ConnectionMediaType(&agreed), S_OK);
  EXPECT_EQ(WaveFormatOf(agreed)->wBitsPerSample, 16);
  ALLOCATOR_PROPERTIES buffers;
  ASSERT_EQ(rig.Decoder().OutputPin()->Allocator()->GetProperties(&buffers), S_OK);
  EXPECT_GE(buffers.cbBuffer, 4 * 4096);
  EXPECT_GE(buffers.cBuffers, 1);
}

TEST(VorbisDecTypes, MoreThanTwoChannelsUseTheExtensibleRecord) {
  VorbisDecRig rig(6, 48000);
  ASSERT_EQ(rig.Connect(), S_OK);
  AM_MEDIA_TYPE type;
  ASSERT_EQ(rig.Decoder().GetMediaType(0, &type), S_OK);
  // 0xFFFE, 6 channels, 48000 Hz, 576000 bytes/s, block 12, 16 bits, 22 extra bytes: 16 valid
  // bits, no channel mask, the PCM sub-format.
  EXPECT_EQ(type.format,
            (Bytes{0xFE, 0xFF, 6, 0, 0x80, 0xBB, 0, 0, 0x00, 0xCA, 0x08, 0, 12,   0, 16, 0,    22, 0,    16,   0,
                   0,    0,    0, 0, 1,    0,    0, 0, 0,    0,    0x10, 0, 0x80, 0, 0,  0xAA, 0,  0x38, 0x9B, 0x71}));
  ASSERT_EQ(rig.Decoder().GetMediaType(1, &type), S_OK);
  const Bytes& block = type.format;
  EXPECT_EQ(GetLe16(&block[0]), 0xFFFE);
  EXPECT_EQ(GetLe16(&block[12]), 24);
  EXPECT_EQ(GetLe16(&block[14]), 32);
  EXPECT_EQ(GetLe16(&block[18]), 32);
  EXPECT_EQ(GetLe32(&block[24]), 3u) << "IEEE float sub-format";
}

TEST(VorbisDecTypes, PreferringFloatSwapsThePositions) {
  VorbisDecRig rig(2, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  AM_MEDIA_TYPE type;
  ASSERT_EQ(rig.Decoder().GetMediaType(0, &type), S_OK);
  EXPECT_EQ(WaveFormatOf(type)->wFormatTag, 3);
  ASSERT_EQ(rig.Decoder().GetMediaType(1, &type), S_OK);
  EXPECT_EQ(WaveFormatOf(type)->wFormatTag, 1);
}

TEST(VorbisDecTypes, PinsAndUnconnectedInput) {
  CVorbisDec decoder;
  AM_MEDIA_TYPE type;
  EXPECT_EQ(decoder.GetMediaType(0, &type), E_UNEXPECTED);
  EXPECT_EQ(decoder.InputPin()->Name(), "Ogg Vorbis Packets");
  EXPECT_EQ(decoder.OutputPin()->Name(), "PCM Audio");
  std::string id;
  ASSERT_EQ(decoder.InputPin()->QueryId(&id), S_OK);
  EXPECT_EQ(id, "In");
  ALLOCATOR_PROPERTIES wanted;
  ASSERT_EQ(decoder.InputPin()->GetAllocatorRequirements(&wanted), S_OK);
  EXPECT_EQ(wanted.cBuffers, 2);
  GUID clsid;
  ASSERT_EQ(decoder.GetClassID(&clsid), S_OK);
  EXPECT_EQ(GuidToString(clsid), "{02391F44-2767-4E6A-A484-9B47B506F3A4}");
}

TEST(VorbisDecTypes, RefusesInputItCannotDecode) {
  CVorbisDec decoder;
  VORBISFORMAT format{2, 44100, 0, 128000, 0, 0.4f};
  AM_MEDIA_TYPE vorbis = MakeVorbisMediaType(format);
  EXPECT_EQ(decoder.CheckInputType(&vorbis), S_OK);

  AM_MEDIA_TYPE shortBlock = vorbis;
  shortBlock.format.resize(20);
  AM_MEDIA_TYPE pcm = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  format.nChannels = 0;
  AM_MEDIA_TYPE silent = MakeVorbisMediaType(format);
  format.nChannels = 256;
  AM_MEDIA_TYPE tooWide = MakeVorbisMediaType(format);
  format.nChannels = 2;
  format.nSamplesPerSec = 0;
  AM_MEDIA_TYPE noRate = MakeVorbisMediaType(format);
  for (const AM_MEDIA_TYPE* type : {&shortBlock, &pcm, &silent, &tooWide, &noRate})
    EXPECT_EQ(decoder.CheckInputType(type), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(VorbisDecTypes, OutputMustBeWhatTheDecoderWrites) {
  CVorbisDec decoder;
  const AM_MEDIA_TYPE vorbis = MakeVorbisMediaType({2, 44100, 0, 0, 0, 0.4f});
  const AM_MEDIA_TYPE sixteen = MakeVorbisPcmType({2, 44100, false});
  const AM_MEDIA_TYPE floats = MakeVorbisPcmType({2, 44100, true});
  EXPECT_EQ(decoder.CheckTransform(&vorbis, &sixteen), S_OK);
  EXPECT_EQ(decoder.CheckTransform(&vorbis, &floats), S_OK);
  // A plain 16-bit record from elsewhere is as good as ours.
  const AM_MEDIA_TYPE plain = MakeAudioMediaType(MakePcmFormat(44100, 2, 16));
  EXPECT_EQ(decoder.CheckTransform(&vorbis, &plain), S_OK);

  const AM_MEDIA_TYPE eightBit = MakeAudioMediaType(MakePcmFormat(44100, 2, 8));
  const AM_MEDIA_TYPE mono = MakeVorbisPcmType({1, 44100, false});
  const AM_MEDIA_TYPE otherRate = MakeVorbisPcmType({2, 48000, false});
  const AM_MEDIA_TYPE noRate = MakeVorbisPcmType({2, 0, false});
  AM_MEDIA_TYPE wrongBlock = sixteen;
  wrongBlock.format[12] = 2;
  AM_MEDIA_TYPE notAudio = sixteen;
  notAudio.majortype = MEDIATYPE_Video;
  for (const AM_MEDIA_TYPE* output : std::initializer_list<const AM_MEDIA_TYPE*>{&eightBit, &mono, &otherRate, &noRate,
                                                                                 &wrongBlock, &notAudio, &vorbis})
    EXPECT_EQ(decoder.CheckTransform(&vorbis, output), VFW_E_TYPE_NOT_ACCEPTED);
}

// ---- Decoding ----

TEST(VorbisDecDecoding, EveryFrameArrivesInOrderWithContiguousTimes) {
  const VorbisTestStream& stream = StereoStream();
  VorbisDecRig rig(2, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(stream.packets), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  EXPECT_TRUE(rig.Harness().Sink().AtEndOfStream());

  const std::vector<ReceivedSample> samples = rig.Output();
  ASSERT_FALSE(samples.empty());
  int64_t frames = 0;
  for (const ReceivedSample& sample : samples) {
    ASSERT_TRUE(sample.times);
    EXPECT_EQ(sample.times->start, TimeAt(frames));
    frames += FramesIn(sample, 8);
    EXPECT_EQ(sample.times->end, TimeAt(frames));
    EXPECT_TRUE(sample.syncPoint);
    EXPECT_FALSE(sample.discontinuity);
  }
  EXPECT_EQ(frames, kRate) << "the last packet's padding is trimmed";
}

TEST(VorbisDecDecoding, GainCommentsScaleEverySample) {
  const std::vector<std::vector<float>> audio = {Sine(kRate / 4, 440, kRate, 0.5)};
  const std::vector<float> plain = DecodeAll(EncodeVorbisStream(kRate, audio));
  ASSERT_FALSE(plain.empty());
  struct Case {
    VorbisComments comments;
    float gain;
  };
  const Case cases[] = {
      {{{"POSTGAIN", "0.5"}}, 0.5f},
      {{{"POSTGAIN", "0.5"}, {"LWING_GAIN", "2"}}, 2.0f},
      {{{"lwing_gain", " +0.25"}}, 0.25f},
      {{{"POSTGAIN", "loud"}}, 1.0f},
  };
  for (const Case& c : cases) {
    const std::vector<float> scaled = DecodeAll(EncodeVorbisStream(kRate, audio, c.comments));
    ASSERT_EQ(scaled.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(scaled[i], plain[i] * c.gain) << c.comments[0].second;
  }
}

TEST(VorbisDecDecoding, EndOfStreamDecodesTheHeldPacketAndAFlushDropsIt) {
  const VorbisTestStream& stream = StereoStream();
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(stream.packets), S_OK);
  // The last packet is held back until the end of the stream is known; audio decoded on the
  // second core may still be on its way.
  const REFERENCE_TIME beforeLast = TimeAt(audio[audio.size() - 2].granule);
  for (const ReceivedSample& sample : rig.Output()) ASSERT_LE(sample.times->end, beforeLast);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  // Every packet after the first yields one buffer.
  EXPECT_EQ(rig.Output().size(), audio.size() - 1);
  EXPECT_EQ(rig.Output().back().times->end, TimeAt(kRate));

  VorbisDecRig flushed(2, kRate);
  ASSERT_EQ(flushed.Connect(), S_OK);
  ASSERT_EQ(flushed.Run(), S_OK);
  ASSERT_EQ(flushed.SendAll(stream.packets), S_OK);
  ASSERT_EQ(flushed.Flush(), S_OK);
  const size_t atFlush = flushed.Output().size();
  ASSERT_EQ(flushed.EndOfStream(), S_OK);
  EXPECT_EQ(flushed.Output().size(), atFlush) << "the flush dropped what was not delivered";
  for (const ReceivedSample& sample : flushed.Output()) EXPECT_LE(sample.times->end, beforeLast);
}

// A seek: the splitter flushes, sends the headers again (the first marked as a discontinuity)
// and then the packets from the seek point on, with times relative to it.
TEST(VorbisDecDecoding, AfterASeekDecodingResumesWithoutAClickOrAGap) {
  const VorbisTestStream& stream = StereoStream();
  const std::vector<float> reference = DecodeAll(stream);
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  const size_t resume = audio.size() / 2;
  const int64_t seekFrame = audio[resume - 1].granule;

  VorbisDecRig rig(2, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll({stream.packets.begin(), stream.packets.begin() + 10}), S_OK);
  ASSERT_EQ(rig.Flush(), S_OK);
  const size_t beforeSeek = rig.Output().size();
  std::vector<VorbisTestPacket> again = Headers(stream);
  again.insert(again.end(), audio.begin() + static_cast<long>(resume), audio.end());
  ASSERT_EQ(rig.SendAll(again, seekFrame), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);

  const std::vector<ReceivedSample> samples = rig.Output();
  ASSERT_GT(samples.size(), beforeSeek + 1);
  // The first packet after the seek only primes the decoder: audio starts where it ends.
  int64_t frame = audio[resume].granule - seekFrame;
  for (size_t i = beforeSeek; i < samples.size(); ++i) {
    ASSERT_EQ(samples[i].times->start, TimeAt(frame)) << "sample " << i;
    const int64_t frames = FramesIn(samples[i], 8);
    for (int64_t f = 0; f < frames; ++f) {
      for (int c = 0; c < 2; ++c) {
        float value;
        std::memcpy(&value, &samples[i].bytes[static_cast<size_t>((f * 2 + c) * 4)], 4);
        ASSERT_EQ(value, reference[static_cast<size_t>((seekFrame + frame + f) * 2 + c)])
            << "frame " << seekFrame + frame + f;
      }
    }
    frame += frames;
  }
  EXPECT_EQ(seekFrame + frame, kRate);
}

TEST(VorbisDecDecoding, HeadersKeptAcrossAFlushRebuildTheDecoder) {
  const VorbisTestStream& stream = StereoStream();
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(Headers(stream)), S_OK);
  ASSERT_EQ(rig.Flush(), S_OK);
  ASSERT_EQ(rig.SendAll({audio.begin() + 5, audio.end()}), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  EXPECT_EQ(rig.Output().back().times->end, TimeAt(kRate));
}

TEST(VorbisDecDecoding, PacketsBeforeTheSeekPointAreNotDecoded) {
  const VorbisTestStream& stream = StereoStream();
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  const size_t firstAfter = 8;
  // The seek point falls between packets 7 and 8, so 0 to 7 arrive with negative times.
  const int64_t seekFrame = audio[firstAfter - 1].granule + 1;
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(stream.packets, seekFrame), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  // Packet 7 primes the decoder; every packet from 8 on yields audio.
  const std::vector<ReceivedSample> samples = rig.Output();
  ASSERT_EQ(samples.size(), audio.size() - firstAfter);
  EXPECT_EQ(samples.front().times->end, TimeAt(audio[firstAfter].granule - seekFrame));
}

// ---- Damaged input ----

TEST(VorbisDecFailures, AudioBeforeTheHeadersFailsTheStream) {
  const VorbisTestStream& stream = StereoStream();
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.Send(stream.packets[0], true), S_OK);
  ASSERT_EQ(rig.Send(audio[0]), S_OK);
  ClearErrorInfo();
  EXPECT_EQ(rig.Send(audio[1]), E_FAIL) << "the codebook header never came";
  EXPECT_NE(GetErrorInfo().find("header"), std::string::npos) << GetErrorInfo();
  EXPECT_EQ(rig.EndOfStream(), E_FAIL);
  EXPECT_TRUE(rig.Harness().Sink().AtEndOfStream()) << "the end of stream still goes on";
  EXPECT_TRUE(rig.Output().empty());
}

TEST(VorbisDecFailures, DamagedHeadersOrAnotherChannelCountFail) {
  const VorbisTestStream& stream = StereoStream();
  VorbisTestStream damaged = stream;
  damaged.packets[2].bytes.resize(damaged.packets[2].bytes.size() / 2);
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  EXPECT_EQ(rig.SendAll({damaged.packets.begin(), damaged.packets.begin() + 5}), E_FAIL);

  // A media type announcing one channel for a stereo stream: nothing is written for it.
  VorbisDecRig mono(1, kRate);
  ASSERT_EQ(mono.Connect(), S_OK);
  ASSERT_EQ(mono.Run(), S_OK);
  ClearErrorInfo();
  EXPECT_EQ(mono.SendAll({stream.packets.begin(), stream.packets.begin() + 5}), E_FAIL);
  EXPECT_NE(GetErrorInfo().find("2 channel(s) at 44100 Hz"), std::string::npos) << GetErrorInfo();
  EXPECT_TRUE(mono.Output().empty());
}

TEST(VorbisDecFailures, DamagedAudioPacketsAreSkipped) {
  const VorbisTestStream& stream = StereoStream();
  VorbisTestStream damaged = stream;
  uint32_t noise = 12345;
  for (size_t i = 3; i < damaged.packets.size(); i += 3) {
    Bytes& bytes = damaged.packets[i].bytes;
    if (i % 2 == 0) {
      bytes.resize(bytes.size() / 3);
    } else {
      for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((noise = noise * 1103515245 + 12345) >> 16) & 0xFE;
    }
  }
  damaged.packets.push_back({{}, kRate});
  VorbisDecRig rig(2, kRate, true);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll(damaged.packets), S_OK);
  ASSERT_EQ(rig.SendUntimed({0x00, 0xFF}), S_OK);
  ASSERT_EQ(rig.EndOfStream(), S_OK);
  EXPECT_FALSE(rig.Output().empty());
  for (float value : rig.OutputFloat()) ASSERT_TRUE(std::isfinite(value));
}

TEST(VorbisDecFailures, ADeliveryFailureIsReturned) {
  const VorbisTestStream& stream = StereoStream();
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  rig.Harness().Sink().ReplyToAll(E_OUTOFMEMORY);
  HRESULT hr = S_OK;
  for (size_t i = 0; i < stream.packets.size() && hr == S_OK; ++i) hr = rig.Send(stream.packets[i], i == 0);
  EXPECT_EQ(hr, E_OUTOFMEMORY);
}

TEST(VorbisDecFailures, StopAndStartForgetTheStream) {
  const VorbisTestStream& stream = StereoStream();
  VorbisDecRig rig(2, kRate);
  ASSERT_EQ(rig.Connect(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  ASSERT_EQ(rig.SendAll({stream.packets.begin(), stream.packets.begin() + 8}), S_OK);
  ASSERT_EQ(rig.Stop(), S_OK);
  ASSERT_EQ(rig.Run(), S_OK);
  const std::vector<VorbisTestPacket> audio = Audio(stream);
  ASSERT_EQ(rig.Send(audio[6], true), S_OK);
  EXPECT_EQ(rig.Send(audio[7]), E_FAIL) << "the headers went with the stop";
}
