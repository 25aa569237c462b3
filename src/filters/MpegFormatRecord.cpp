#include "filters/MpegFormatRecord.h"

namespace {

uint16_t HeadMode(int32_t channelMode) {
  switch (channelMode) {
    case Mp3EncoderSettings::kChannelModeStereo:
      return ACM_MPEG_STEREO;
    case Mp3EncoderSettings::kChannelModeJointStereo:
      return ACM_MPEG_JOINTSTEREO;
    case Mp3EncoderSettings::kChannelModeDualChannel:
      return ACM_MPEG_DUALCHANNEL;
    case Mp3EncoderSettings::kChannelModeMono:
      return ACM_MPEG_SINGLECHANNEL;
    default:
      return 0;
  }
}

}  // namespace

MPEG1WAVEFORMAT MakeMpegFormatRecord(const Mp3EncoderSettings& settings, const WAVEFORMATEX& input) {
  using S = Mp3EncoderSettings;
  const bool mono = settings[S::kChannelMode] == S::kChannelModeMono;
  const uint32_t bitsPerSecond = static_cast<uint32_t>(settings[S::kBitrateKbps]) * 1000;

  MPEG1WAVEFORMAT format;
  format.wfx.wFormatTag = WAVE_FORMAT_MPEG;
  format.wfx.nChannels = mono ? 1 : 2;
  format.wfx.nSamplesPerSec = static_cast<uint32_t>(settings[S::kOutputSampleRateHz]);
  format.wfx.nAvgBytesPerSec = bitsPerSecond / 8;
  format.wfx.nBlockAlign = 1;
  format.wfx.wBitsPerSample = input.wBitsPerSample;
  format.wfx.cbSize = kMpeg1WaveFormatExtraBytes;
  format.fwHeadLayer = ACM_MPEG_LAYER3;
  format.dwHeadBitrate = bitsPerSecond;
  format.fwHeadMode = HeadMode(settings[S::kChannelMode]);
  format.fwHeadFlags = ACM_MPEG_ID_MPEG1;
  if (settings[S::kCrc] != 0) format.fwHeadFlags |= ACM_MPEG_PROTECTIONBIT;
  if (settings[S::kOriginal] != 0) format.fwHeadFlags |= ACM_MPEG_ORIGINALHOME;
  if (settings[S::kCopyright] != 0) format.fwHeadFlags |= ACM_MPEG_COPYRIGHT;
  return format;
}
