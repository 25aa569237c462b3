#include "platform/audio/alsa/AlsaError.h"

#include <alsa/asoundlib.h>

#include <mutex>

HRESULT AlsaFailure(int error, const std::string& what) {
  SetErrorInfo(what + ": " + snd_strerror(error) + ".");
  return HResultFromErrno(error < 0 ? -error : error);
}

namespace {

void IgnoreDiagnostic(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void SilenceAlsaDiagnostics() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(&IgnoreDiagnostic); });
}
