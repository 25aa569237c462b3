#pragma once
// Whether a file is read through the system's own Ogg splitter: its first four bytes, in lower
// case, hold "ogg" (an Ogg file starts with "OggS"). Self-contained; any thread.

#include <string>

#include "platform/media/HResult.h"

// S_OK with *ogg set; a file that cannot be opened or read gives the system's code and a
// readable text (GetErrorInfo).
HRESULT IsOggFile(const std::string& path, bool* ogg);
