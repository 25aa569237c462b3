#pragma once
// Ends an Ogg file that was cut off while it was written (a crash, a full disk): the file is
// cut after the last page that still ends a packet, a packet left unfinished on that page is
// dropped from it, and the page is marked as the end of its stream with its checksum made
// good. The file is read from its first byte as pages back to back, as the multiplexer writes
// them; the first byte that starts no sound page ends them. One stream per file is assumed:
// pages after the mended one, of whatever stream, are cut away. Repeating the repair on a
// mended file changes nothing. Self-contained; any thread, one call per file at a time.

#include <string>

#include "platform/media/HResult.h"

// `fd` is open for reading and writing; `path` names the file in messages. S_OK when the file
// now ends its stream (S_FALSE when it did already, untouched); VFW_E_INVALID_FILE_FORMAT
// with a text (SetErrorInfo) when no page ends a packet; a write failure with the system's text.
HRESULT RepairCutOffOggFile(int fd, const std::string& path);
