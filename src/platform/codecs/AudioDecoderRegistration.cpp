#include "platform/codecs/AudioDecoderRegistration.h"

extern "C" {
#include <libavutil/log.h>
}

#include "platform/codecs/CAudioDecoderFilter.h"
#include "platform/media/FilterRegistry.h"

void RegisterAudioDecoders() {
  // FFmpeg's own log lines would reach the user's terminal; its failures arrive as result codes
  // with texts instead.
  av_log_set_level(AV_LOG_QUIET);
  RegisteredFilter decoder;
  decoder.clsid = CLSID_CorvoxAudioDecoder;
  decoder.name = "Audio Decoder";
  decoder.merit = MERIT_NORMAL;
  decoder.create = [] { return std::make_shared<CAudioDecoderFilter>(); };
  RegisterFilter(std::move(decoder));
}
