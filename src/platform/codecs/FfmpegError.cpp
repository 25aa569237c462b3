#include "platform/codecs/FfmpegError.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>
#include <cstdio>

HRESULT ResultFromFfmpegError(int error, const std::string& action) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(error, text, sizeof text) < 0) snprintf(text, sizeof text, "FFmpeg error %d", error);
  SetErrorInfo(action + ": " + text);
  if (error == AVERROR(ENOMEM)) return E_OUTOFMEMORY;
  if (error == AVERROR(EINVAL)) return E_INVALIDARG;
  // FFmpeg passes system errors (a full disk, a missing folder) on as negated errno values.
  constexpr int kLargestErrno = 4095;
  if (error < 0 && error >= -kLargestErrno) return HResultFromErrno(-error);
  return E_FAIL;
}
