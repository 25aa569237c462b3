#include "platform/codecs/FfmpegPacketDrain.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/codecs/FfmpegError.h"

HRESULT DrainEncoderPackets(AVCodecContext* context, AVPacket* packet, const std::string& encoderName,
                            const std::function<HRESULT(AVPacket*)>& sink) {
  HRESULT result = S_OK;
  for (;;) {
    const int error = avcodec_receive_packet(context, packet);
    if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return result;
    if (error < 0) return ResultFromFfmpegError(error, "The " + encoderName + " encoder failed");
    if (result == S_OK) result = sink(packet);
    av_packet_unref(packet);
  }
}
