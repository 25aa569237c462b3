#include <gtest/gtest.h>

#include <set>

#include "Mp3TestAudio.h"
#include "filters/MP3Encoder.h"

namespace {

using S = Mp3EncoderSettings;

S Settings(int32_t rateHz = 44100, int32_t kbps = 128, int32_t channelMode = S::kChannelModeStereo) {
  S settings;
  settings[S::kOutputSampleRateHz] = rateHz;
  settings[S::kBitrateKbps] = kbps;
  settings[S::kVbrMinBitrateKbps] = 80;
  settings[S::kVbrMaxBitrateKbps] = 160;
  settings[S::kEncodeQuality] = 5;
  settings[S::kVbrQuality] = 4;
  settings[S::kChannelMode] = channelMode;
  return settings;
}

// Opens an encoder for `input` with `settings`.
void Open(CMP3Encoder& encoder, const WAVEFORMATEX& input, const S& settings) {
  ASSERT_EQ(encoder.SetInputFormat(input), S_OK);
  encoder.SetSettings(settings);
  ASSERT_EQ(encoder.Open(), S_OK) << GetErrorInfo();
}

// Everything LAME makes of `pcm`, fed in pieces of `pieceBytes` (all at once when 0).
Bytes EncodeAll(const WAVEFORMATEX& input, const S& settings, const Bytes& pcm, size_t pieceBytes = 0) {
  CMP3Encoder encoder;
  Open(encoder, input, settings);
  Bytes frames;
  const size_t step = pieceBytes == 0 ? pcm.size() : pieceBytes;
  for (size_t at = 0; at < pcm.size(); at += step) {
    const size_t count = std::min(step, pcm.size() - at);
    EXPECT_EQ(encoder.Encode(std::span(pcm).subspan(at, count), &frames), S_OK);
  }
  EXPECT_EQ(encoder.Finish(&frames), S_OK);
  return frames;
}

TEST(MP3Encoder, AcceptsSixteenBitPcmMonoOrStereoAtTheListedRatesOnly) {
  CMP3Encoder encoder;
  for (uint32_t rate : {96000u, 48000u, 44100u, 32000u, 22050u, 11025u, 8000u}) {
    for (uint16_t channels : {1, 2}) {
      EXPECT_EQ(encoder.SetInputFormat(MakePcmFormat(rate, channels, 16)), S_OK) << rate << " Hz";
      WAVEFORMATEX stored;
      ASSERT_TRUE(encoder.GetInputFormat(&stored));
      EXPECT_EQ(stored, MakePcmFormat(rate, channels, 16));
    }
  }
  WAVEFORMATEX adpcm = MakePcmFormat(44100, 2, 16);
  adpcm.wFormatTag = 0x11;
  for (const WAVEFORMATEX& refused :
       {MakePcmFormat(16000, 2, 16), MakePcmFormat(24000, 2, 16), MakePcmFormat(12000, 1, 16),
        MakePcmFormat(44100, 2, 8), MakePcmFormat(44100, 3, 16), MakePcmFormat(44100, 2, 24), adpcm}) {
    ASSERT_EQ(encoder.SetInputFormat(MakePcmFormat(44100, 2, 16)), S_OK);
    EXPECT_EQ(encoder.SetInputFormat(refused), E_INVALIDARG) << refused.nSamplesPerSec << " Hz";
    WAVEFORMATEX stored;
    EXPECT_FALSE(encoder.GetInputFormat(&stored)) << "a refused format forgets the earlier one";
  }
}

TEST(MP3Encoder, OpensOnlyWithFormatAndSettingsAndEncodesNothingWhileClosed) {
  CMP3Encoder encoder;
  EXPECT_EQ(encoder.Open(), E_UNEXPECTED);
  encoder.SetSettings(Settings());
  EXPECT_EQ(encoder.Open(), E_UNEXPECTED);
  EXPECT_FALSE(encoder.IsOpen());

  Bytes frames;
  EXPECT_EQ(encoder.Encode(TonePcm(44100, 2, 4410), &frames), S_OK);
  EXPECT_EQ(encoder.Finish(&frames), S_OK);
  EXPECT_TRUE(frames.empty());

  ASSERT_EQ(encoder.SetInputFormat(MakePcmFormat(44100, 2, 16)), S_OK);
  EXPECT_EQ(encoder.Open(), S_OK);
  EXPECT_EQ(encoder.Open(), S_OK);
  EXPECT_TRUE(encoder.IsOpen());
  encoder.Close();
  EXPECT_FALSE(encoder.IsOpen());
  encoder.Close();
}

TEST(MP3Encoder, UnknownModesFailTheOpenWithAReason) {
  CMP3Encoder encoder;
  ASSERT_EQ(encoder.SetInputFormat(MakePcmFormat(44100, 2, 16)), S_OK);
  S unknownMode = Settings();
  unknownMode[S::kChannelMode] = 7;
  S unknownVbr = Settings();
  unknownVbr[S::kVbrMode] = 9;
  for (const S& settings : {unknownMode, unknownVbr}) {
    ClearErrorInfo();
    encoder.SetSettings(settings);
    EXPECT_EQ(encoder.Open(), E_FAIL);
    EXPECT_FALSE(encoder.IsOpen());
    EXPECT_FALSE(GetErrorInfo().empty());
  }
}

TEST(MP3Encoder, DefaultStereoGivesCbrFramesAndFinishDeliversTheTail) {
  const Bytes pcm = TonePcm(44100, 2, 44100);
  CMP3Encoder encoder;
  Open(encoder, MakePcmFormat(44100, 2, 16), Settings());
  Bytes frames;
  ASSERT_EQ(encoder.Encode(pcm, &frames), S_OK);
  const size_t beforeFinish = frames.size();
  ASSERT_EQ(encoder.Finish(&frames), S_OK);
  EXPECT_GT(frames.size(), beforeFinish) << "LAME holds back frames until it is flushed";

  const auto summary = Summarise(frames);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->first.version, MpegAudioFrameHeader::Version::Mpeg1);
  EXPECT_EQ(summary->first.sampleRateHz, 44100);
  EXPECT_EQ(summary->first.bitrateKbps, 128);
  EXPECT_EQ(summary->first.channelMode, MpegAudioFrameHeader::kStereo);
  EXPECT_FALSE(summary->variableBitrate);
  EXPECT_FALSE(summary->first.crc || summary->first.copyright || summary->first.original);
  // All the input plus at most the encoder delay and one frame of padding.
  EXPECT_GE(summary->sampleFrames, 44100u);
  EXPECT_LE(summary->sampleFrames, 44100u + 576 + 529 + 1152 + 1152);
}

TEST(MP3Encoder, HeaderFlagsFollowTheSettingsInEveryFrame) {
  S settings = Settings(48000, 192);
  settings[S::kCrc] = 1;
  settings[S::kCopyright] = 1;
  settings[S::kOriginal] = 1;
  const Bytes frames = EncodeAll(MakePcmFormat(48000, 2, 16), settings, TonePcm(48000, 2, 24000));
  const auto headers = FrameHeaders(frames);
  ASSERT_FALSE(headers.empty());
  for (const MpegAudioFrameHeader& header : headers) {
    EXPECT_TRUE(header.crc && header.copyright && header.original);
    EXPECT_EQ(header.bitrateKbps, 192);
    EXPECT_EQ(header.sampleRateHz, 48000);
  }
  EXPECT_TRUE(Summarise(frames));
}

TEST(MP3Encoder, MonoInStereoModeIsEncodedAsTwoIdenticalChannels) {
  const Bytes mono = TonePcm(44100, 1, 30000);
  const Bytes fromMono = EncodeAll(MakePcmFormat(44100, 1, 16), Settings(), mono);
  const Bytes fromStereo = EncodeAll(MakePcmFormat(44100, 2, 16), Settings(), DuplicatedToStereo(mono));
  EXPECT_EQ(fromMono, fromStereo);
  const auto summary = Summarise(fromMono);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->first.Channels(), 2);
}

TEST(MP3Encoder, ChannelModesGiveTheirFramesFromMonoAndStereoInput) {
  const std::pair<int32_t, MpegAudioFrameHeader::ChannelMode> modes[] = {
      {S::kChannelModeJointStereo, MpegAudioFrameHeader::kJointStereo},
      {S::kChannelModeDualChannel, MpegAudioFrameHeader::kDualChannel},
      {S::kChannelModeMono, MpegAudioFrameHeader::kMono}};
  for (const auto& [mode, expected] : modes) {
    const auto stereo =
        Summarise(EncodeAll(MakePcmFormat(44100, 2, 16), Settings(44100, 128, mode), TonePcm(44100, 2, 20000)));
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->first.channelMode, expected) << "mode " << mode;
    EXPECT_GE(stereo->sampleFrames, 20000u);
  }
  const auto mono = Summarise(
      EncodeAll(MakePcmFormat(22050, 1, 16), Settings(44100, 64, S::kChannelModeMono), TonePcm(22050, 1, 22050)));
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->first.channelMode, MpegAudioFrameHeader::kMono);
  // Resampled to the output rate: one second stays one second.
  EXPECT_EQ(mono->first.sampleRateHz, 44100);
  EXPECT_GE(mono->sampleFrames, 44100u);
}

TEST(MP3Encoder, InputsOfAnyLengthLoseNothing) {
  struct Case {
    uint32_t inRateHz;
    uint16_t channels;
    int32_t outRateHz;
    int32_t kbps;
    size_t frames;
  };
  // Half a second at 96 kHz, five seconds at 44.1 kHz, and 8 kHz upsampled to 48 kHz at
  // 320 kbit/s, where five seconds of input make 200000 bytes of frames.
  for (const Case& c :
       {Case{96000, 2, 44100, 128, 48000}, Case{44100, 2, 44100, 320, 220500}, Case{8000, 1, 48000, 320, 40000}}) {
    const Bytes pcm = TonePcm(static_cast<int>(c.inRateHz), c.channels, c.frames);
    const WAVEFORMATEX input = MakePcmFormat(c.inRateHz, c.channels, 16);
    const Bytes whole = EncodeAll(input, Settings(c.outRateHz, c.kbps), pcm);
    EXPECT_EQ(whole, EncodeAll(input, Settings(c.outRateHz, c.kbps), pcm, 4 * 1152)) << c.inRateHz << " Hz";
    const auto summary = Summarise(whole);
    ASSERT_TRUE(summary);
    const double seconds = static_cast<double>(c.frames) / c.inRateHz;
    EXPECT_GE(summary->Seconds(), seconds);
    EXPECT_LE(summary->Seconds(), seconds + 0.1);
  }
}

TEST(MP3Encoder, OddBytesAndUnalignedBuffersAreHandled) {
  const Bytes pcm = TonePcm(44100, 2, 11025);
  Bytes shifted(pcm.size() + 3);
  std::copy(pcm.begin(), pcm.end(), shifted.begin() + 1);
  CMP3Encoder encoder;
  Open(encoder, MakePcmFormat(44100, 2, 16), Settings());
  Bytes frames;
  // The two extra bytes are less than a sample frame and are left out.
  ASSERT_EQ(encoder.Encode(std::span(shifted).subspan(1, pcm.size() + 2), &frames), S_OK);
  ASSERT_EQ(encoder.Finish(&frames), S_OK);
  EXPECT_EQ(frames, EncodeAll(MakePcmFormat(44100, 2, 16), Settings(), pcm));
}

TEST(MP3Encoder, VbrSettingsGiveVaryingBitratesWithinTheLimits) {
  S vbr = Settings();
  vbr[S::kVbrMode] = S::kVbrOn;
  vbr[S::kVbrMinBitrateKbps] = 32;
  vbr[S::kVbrMaxBitrateKbps] = 320;
  // Silence then a loud tone pair: the bitrate has to move.
  Bytes pcm(44100 * 4, 0);
  const Bytes tone = TonePcm(44100, 2, 44100, 3000, 7000);
  pcm.insert(pcm.end(), tone.begin(), tone.end());
  const Bytes frames = EncodeAll(MakePcmFormat(44100, 2, 16), vbr, pcm);
  std::set<int> bitrates;
  for (const MpegAudioFrameHeader& header : FrameHeaders(frames)) bitrates.insert(header.bitrateKbps);
  EXPECT_GT(bitrates.size(), 1u);
  EXPECT_GE(*bitrates.begin(), 32);
  EXPECT_LE(*bitrates.rbegin(), 320);
  const auto summary = Summarise(frames);
  ASSERT_TRUE(summary);
  EXPECT_TRUE(summary->variableBitrate);
}

}  // namespace
