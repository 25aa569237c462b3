#pragma once
// Copies the packets of an ASF file that was cut off while it was written (its header's sizes
// and duration never completed, no index, a data packet cut short) into a complete ASF file:
// every packet FFmpeg's reader can still take from it, with the same stream description, the
// same data packet size and the stream's language. Self-contained; any thread.

#include <string>

#include "platform/media/HResult.h"

// Creates (or replaces) `to`; S_OK also when no packet was left to copy. A failure leaves a
// text (SetErrorInfo) and no file at `to`.
HRESULT RemuxCutOffAsfFile(const std::string& from, const std::string& to);
