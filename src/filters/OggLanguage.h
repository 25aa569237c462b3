#pragma once
// The primary language identifier for an Ogg stream's "LANGUAGE" comment. Self-contained.

#include <cstdint>
#include <string>

// Matched by the name the value starts with (its first letter taken as upper case); "off", the
// switched-off subtitle entry, counts as English. 0 when no name matches.
uint16_t LanguageFromComment(const std::string& value);
