#pragma once
// Letter case of the system's narrow (UTF-8) text: the ASCII letters change; the bytes of
// multibyte characters are left as they are, so a lower-cased text stays valid UTF-8.

#include <string>

std::string LowerCase(std::string text);
