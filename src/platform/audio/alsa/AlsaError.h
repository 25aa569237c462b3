#pragma once
// ALSA's negative errno results, translated once into a result code and a sentence.

#include <string>

#include "platform/media/HResult.h"

// The code for `error` (a negative errno from ALSA), with "<what>: <ALSA's text>." through SetErrorInfo.
HRESULT AlsaFailure(int error, const std::string& what);

// Stops ALSA's library from printing its own diagnostics on stderr: every failure reaches the
// user through the result and text above instead. Process-wide; any thread, any number of times.
void SilenceAlsaDiagnostics();
