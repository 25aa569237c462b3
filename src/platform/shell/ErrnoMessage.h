#pragma once

#include <string>

// "<action> <path>: <the system's text for err>", the sentence the shell's failures carry.
std::string ErrnoMessage(const char* action, const std::string& path, int err);
