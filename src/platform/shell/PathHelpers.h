#pragma once

// Path helpers with the shell's semantics, '/' as the separator. Pure string functions:
// nothing here touches the file system.

#include <string>
#include <string_view>

// path + "/" + more, without doubling separators; more's leading separators are skipped.
std::string PathAppend(std::string_view path, std::string_view more);

// The last component (text after the last separator); a trailing separator is kept with it.
std::string PathFindFileName(std::string_view path);

// The extension of the last component, from its last dot (".wma"); empty when it has none.
std::string PathFindExtension(std::string_view path);

// The path without PathFindExtension's extension.
std::string PathRemoveExtension(std::string_view path);

// The folder part: the path without its last component and the separator before it.
// "/a/b" gives "/a", "/a" gives "/", "a" gives "".
std::string PathRemoveFileSpec(std::string_view path);
