#include "platform/wmf/WmaCodecCatalogue.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdio>
#include <memory>

#include "platform/codecs/FfmpegAudioEncoder.h"
#include "platform/wmf/WmfTypes.h"

namespace {

struct FormatChoice {
  uint32_t rateHz;
  uint16_t channels;
  uint32_t kbps;
};

// The formats offered, in list order: those whose encoded blocks are long and few enough that
// the ASF packaging of each (about 18 bytes) keeps a file within a tenth of its bitrate.
// Index 24 is the stored default, 128 kbps at 44.1 kHz stereo, past the middle.
constexpr FormatChoice kWmaV2Formats[] = {
    {8000, 1, 32},   {8000, 1, 40},   {32000, 1, 40},  {32000, 2, 40},  {11025, 1, 48},  {22050, 1, 48},
    {22050, 2, 48},  {32000, 1, 48},  {32000, 2, 48},  {44100, 1, 48},  {44100, 2, 48},  {22050, 2, 64},
    {32000, 1, 64},  {32000, 2, 64},  {44100, 1, 64},  {44100, 2, 64},  {48000, 2, 64},  {32000, 2, 80},
    {44100, 2, 80},  {48000, 2, 80},  {44100, 1, 96},  {44100, 2, 96},  {48000, 2, 96},  {32000, 2, 128},
    {44100, 2, 128}, {48000, 2, 128}, {44100, 2, 160}, {48000, 2, 160}, {44100, 2, 192}, {48000, 2, 192},
    {44100, 2, 256}, {48000, 2, 256}, {44100, 2, 320}, {48000, 2, 320},
};

// The format as the encoder makes it; false when the encoder refuses it.
bool Probe(const AVCodec* encoder, const FormatChoice& choice, WmaCodecFormat* format) {
  std::unique_ptr<AVCodecContext, FfmpegDeleter> context(avcodec_alloc_context3(encoder));
  if (!context || encoder->sample_fmts == nullptr) return false;
  context->sample_rate = static_cast<int>(choice.rateHz);
  context->sample_fmt = encoder->sample_fmts[0];
  context->bit_rate = choice.kbps * 1000;
  av_channel_layout_default(&context->ch_layout, choice.channels);
  if (avcodec_open2(context.get(), encoder, nullptr) < 0 || context->block_align <= 0) return false;
  format->rateHz = choice.rateHz;
  format->channels = choice.channels;
  format->bitsPerSecond = choice.kbps * 1000;
  format->blockAlign = static_cast<uint16_t>(context->block_align);
  if (context->extradata_size > 0)
    format->decoderSetup.assign(context->extradata, context->extradata + context->extradata_size);
  return true;
}

std::vector<WmaCodec> ProbeCodecs() {
  std::vector<WmaCodec> codecs;
  // FFmpeg's wmav2 writes the bitstream of Windows Media Audio 7 to 9 Standard.
  const AVCodec* encoder = avcodec_find_encoder_by_name("wmav2");
  if (encoder == nullptr) return codecs;
  WmaCodec codec;
  codec.name = "Windows Media Audio 9";
  codec.encoderName = "wmav2";
  codec.formatTag = WAVE_FORMAT_WMAUDIO2;
  for (const FormatChoice& choice : kWmaV2Formats) {
    WmaCodecFormat format;
    if (Probe(encoder, choice, &format)) codec.formats.push_back(std::move(format));
  }
  if (!codec.formats.empty()) codecs.push_back(std::move(codec));
  return codecs;
}

}  // namespace

const std::vector<WmaCodec>& InstalledWmaCodecs() {
  static const std::vector<WmaCodec> codecs = ProbeCodecs();
  return codecs;
}

std::string DescribeWmaFormat(const WmaCodecFormat& format) {
  char text[64];
  std::snprintf(text, sizeof text, "%u kbps, %u kHz, %s CBR", format.bitsPerSecond / 1000, format.rateHz / 1000,
                format.channels == 1 ? "mono" : "stereo");
  return text;
}

AM_MEDIA_TYPE MakeWmaMediaType(const WmaCodec& codec, const WmaCodecFormat& format) {
  WAVEFORMATEX wave;
  wave.wFormatTag = codec.formatTag;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.rateHz;
  wave.nAvgBytesPerSec = format.bitsPerSecond / 8;
  wave.nBlockAlign = format.blockAlign;
  wave.wBitsPerSample = 16;
  AM_MEDIA_TYPE type = MakeAudioMediaType(wave, format.decoderSetup);
  type.bFixedSizeSamples = false;
  type.lSampleSize = format.blockAlign;
  return type;
}
