#include "platform/wmf/AsfFileSummary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstring>
#include <memory>

#include "platform/codecs/FfmpegError.h"

namespace {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

}  // namespace

HRESULT ReadAsfFileSummary(const std::string& path, AsfFileSummary* summary) {
  if (summary == nullptr) return E_POINTER;
  const AVInputFormat* asf = av_find_input_format("asf");
  AVFormatContext* opened = nullptr;
  int error = avformat_open_input(&opened, path.c_str(), asf, nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "\"" + path + "\" cannot be read as an ASF file");
  const std::unique_ptr<AVFormatContext, InputCloser> context(opened);
  error = avformat_find_stream_info(context.get(), nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "\"" + path + "\" cannot be read as an ASF file");
  const int index = av_find_best_stream(context.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) {
    SetErrorInfo("\"" + path + "\" holds no audio stream.");
    return VFW_E_INVALID_FILE_FORMAT;
  }
  const AVStream* stream = context->streams[index];
  const AVCodecParameters* codec = stream->codecpar;
  summary->codecName = avcodec_get_name(codec->codec_id);
  summary->rateHz = static_cast<uint32_t>(codec->sample_rate);
  summary->channels = static_cast<uint16_t>(codec->ch_layout.nb_channels);
  summary->bitsPerSecond = static_cast<uint32_t>(codec->bit_rate);
  const AVDictionaryEntry* language = av_dict_get(stream->metadata, "language", nullptr, 0);
  summary->language = language ? language->value : "";
  summary->seconds = context->duration > 0 ? static_cast<double>(context->duration) / AV_TIME_BASE : 0;
  return S_OK;
}
