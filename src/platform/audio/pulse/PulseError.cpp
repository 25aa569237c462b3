#include "platform/audio/pulse/PulseError.h"

#include <pulse/def.h>
#include <pulse/error.h>

#include <cerrno>

namespace {

int ErrnoFor(int error) {
  switch (error) {
    case PA_ERR_ACCESS:
    case PA_ERR_AUTHKEY:
      return EACCES;
    case PA_ERR_CONNECTIONREFUSED:
      return ECONNREFUSED;
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_KILLED:
      return ECONNRESET;
    case PA_ERR_TIMEOUT:
      return ETIMEDOUT;
    case PA_ERR_NOENTITY:
      return ENOENT;
    case PA_ERR_EXIST:
      return EEXIST;
    case PA_ERR_BUSY:
      return EBUSY;
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
      return EINVAL;
    default:
      return EIO;
  }
}

}  // namespace

HRESULT PulseFailure(int error, const std::string& what) {
  SetErrorInfo(what + ": " + pa_strerror(error) + ".");
  return HResultFromErrno(ErrnoFor(error));
}
