#pragma once
// A writer whose format cannot describe a longer file continues its output in numbered parts
// beside the first file: "<first>.2", "<first>.3" ... The first file is part 1 and keeps its
// own name. Self-contained; any thread.

#include <string>
#include <vector>

// The name of part `part` (1 and below: `first` itself).
std::string FilePartName(const std::string& first, int part);

// `first` when it exists, then every part beside it in part order. A missing part does not end
// the list: what a crash or a failed save left behind is found all the same.
std::vector<std::string> ExistingFileParts(const std::string& first);
