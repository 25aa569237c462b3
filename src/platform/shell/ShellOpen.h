#pragma once
// Opening a document or web address with the desktop's handler for it (the shell's "open"
// verb): by default through xdg-open. A seam, so that tests and other front ends can stand in.
// Called on the user-interface thread.

#include <cstdint>
#include <functional>
#include <string>

// Results: above 32 means success; at or below, the reason it failed.
constexpr intptr_t SE_ERR_FNF = 2;
constexpr intptr_t SE_ERR_NOASSOC = 31;
constexpr intptr_t kShellOpenSucceeded = 42;

using ShellOpenHandler = std::function<intptr_t(const std::string& file)>;

// Replaces the handler; returns the old one.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

intptr_t ShellOpen(const std::string& file);

// The default handler: runs xdg-open (found on PATH) on `file` and waits up to `wait` for its
// verdict. A handler still running then counts as success: some open the browser in the
// foreground and return only when it closes. Runs detached from the caller, which never has to
// reap it.
intptr_t OpenWithDesktopHandler(const std::string& file, int waitMs = 3000);
