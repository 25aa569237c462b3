#pragma once

#include <string>

// The user's private temporary folder: $TMPDIR (when absolute) or /tmp, then "corvox-<uid>",
// created with mode 0700 when missing. Fixed file names in a shared /tmp invite link attacks, so
// the folder is accepted only when it is a real folder (not a link) owned by this user with no
// access for group or others; otherwise the call fails with a sentence in error and folder is
// left empty. No trailing separator. Self-contained; callable from any thread.
bool GetTempFolder(std::string& folder, std::string* error = nullptr);
