#pragma once
// A stdio stream with one owner, closed when the owner lets go.

#include <cstdio>
#include <memory>

struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;
