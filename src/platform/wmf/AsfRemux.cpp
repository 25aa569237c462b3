#include "platform/wmf/AsfRemux.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <unistd.h>

#include <memory>

#include "platform/codecs/FfmpegError.h"

namespace {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

struct OutputCloser {
  void operator()(AVFormatContext* context) const {
    avio_closep(&context->pb);
    avformat_free_context(context);
  }
};

struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

HRESULT Copy(AVFormatContext* input, const std::string& from, const std::string& to) {
  const int audio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (audio < 0) {
    SetErrorInfo("\"" + from + "\" holds no audio stream.");
    return VFW_E_INVALID_FILE_FORMAT;
  }
  AVStream* in = input->streams[audio];

  AVFormatContext* made = nullptr;
  int error = avformat_alloc_output_context2(&made, nullptr, "asf", to.c_str());
  if (error < 0) return ResultFromFfmpegError(error, "FFmpeg cannot write ASF files");
  const std::unique_ptr<AVFormatContext, OutputCloser> output(made);
  AVStream* out = avformat_new_stream(output.get(), nullptr);
  if (out == nullptr) return E_OUTOFMEMORY;
  error = avcodec_parameters_copy(out->codecpar, in->codecpar);
  if (error < 0) return ResultFromFfmpegError(error, "Could not describe the audio stream of \"" + to + "\"");
  out->codecpar->codec_tag = 0;
  out->time_base = in->time_base;
  av_dict_copy(&out->metadata, in->metadata, 0);
  // The recorder chose the packet size to fit whole blocks; keep it.
  if (input->packet_size > 0) av_opt_set_int(output->priv_data, "packet_size", input->packet_size, 0);

  error = avio_open(&output->pb, to.c_str(), AVIO_FLAG_WRITE);
  if (error < 0) return ResultFromFfmpegError(error, "Cannot write \"" + to + "\"");
  error = avformat_write_header(output.get(), nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "Could not write the ASF header of \"" + to + "\"");

  const std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!packet) return E_OUTOFMEMORY;
  // A read error is where the file was cut off: what came before it is the recording.
  while (av_read_frame(input, packet.get()) >= 0) {
    const bool wanted = packet->stream_index == audio && packet->pts != AV_NOPTS_VALUE &&
                        (in->codecpar->block_align <= 0 || packet->size == in->codecpar->block_align);
    if (wanted) {
      packet->stream_index = out->index;
      packet->pos = -1;
      av_packet_rescale_ts(packet.get(), in->time_base, out->time_base);
      error = av_interleaved_write_frame(output.get(), packet.get());
      if (error < 0) return ResultFromFfmpegError(error, "Could not write \"" + to + "\"");
    }
    av_packet_unref(packet.get());
  }
  error = av_write_trailer(output.get());
  if (error < 0) return ResultFromFfmpegError(error, "Could not complete \"" + to + "\"");
  avio_flush(output->pb);
  if (output->pb->error < 0) return ResultFromFfmpegError(output->pb->error, "Could not write \"" + to + "\"");
  error = avio_closep(&output->pb);
  if (error < 0) return ResultFromFfmpegError(error, "Could not write \"" + to + "\"");
  return S_OK;
}

}  // namespace

HRESULT RemuxCutOffAsfFile(const std::string& from, const std::string& to) {
  const AVInputFormat* asf = av_find_input_format("asf");
  AVFormatContext* opened = nullptr;
  int error = avformat_open_input(&opened, from.c_str(), asf, nullptr);
  if (error < 0) return ResultFromFfmpegError(error, "\"" + from + "\" cannot be read as an ASF file");
  const std::unique_ptr<AVFormatContext, InputCloser> input(opened);
  // A cut-off file may end before FFmpeg has seen all it likes to; the header describes the stream.
  avformat_find_stream_info(input.get(), nullptr);
  const HRESULT hr = Copy(input.get(), from, to);
  if (FAILED(hr)) ::unlink(to.c_str());
  return hr;
}
