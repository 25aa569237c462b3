#pragma once
// The sound server's error numbers (PA_ERR_*), translated once into a result code and a sentence.

#include <string>

#include "platform/media/HResult.h"

// The code for `error` (a pa_context_errno value), with "<what>: <the server's text>." through
// SetErrorInfo.
HRESULT PulseFailure(int error, const std::string& what);
