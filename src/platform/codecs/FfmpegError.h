#pragma once
// FFmpeg's error codes, translated once into this platform's result codes.

#include <string>

#include "platform/media/HResult.h"

// E_OUTOFMEMORY for FFmpeg's ENOMEM, E_INVALIDARG for EINVAL, HResultFromErrno for other system
// errors (ENOSPC ...), E_FAIL for FFmpeg's own; leaves
// "<action>: <FFmpeg's text>" through SetErrorInfo.
HRESULT ResultFromFfmpegError(int error, const std::string& action);
