#pragma once
// The runtime's texts are wide; the system's are narrow UTF-8. Conversions both ways; a
// sequence that is not valid UTF-8 becomes U+FFFD.

#include <string>

std::string NarrowFromWide(const std::wstring& text);
std::wstring WideFromNarrow(const std::string& text);
