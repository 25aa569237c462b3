#include "platform/shell/PathHelpers.h"

namespace {

// Position where the last component starts (a trailing separator belongs to it).
size_t LastComponentStart(std::string_view path) {
  if (path.empty()) {
    return 0;
  }
  const size_t searchEnd = path.size() >= 2 ? path.size() - 2 : 0;
  const size_t slash = path.rfind('/', searchEnd);
  if (path.size() == 1 || slash == std::string_view::npos) {
    return 0;
  }
  return slash + 1;
}

}  // namespace

std::string PathAppend(std::string_view path, std::string_view more) {
  while (!more.empty() && more.front() == '/') {
    more.remove_prefix(1);
  }
  std::string result(path);
  if (!result.empty() && result.back() != '/' && !more.empty()) {
    result += '/';
  }
  result += more;
  return result;
}

std::string PathFindFileName(std::string_view path) { return std::string(path.substr(LastComponentStart(path))); }

std::string PathFindExtension(std::string_view path) {
  const size_t start = LastComponentStart(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start || path.find('/', dot) != std::string_view::npos) {
    return {};
  }
  return std::string(path.substr(dot));
}

std::string PathRemoveExtension(std::string_view path) {
  return std::string(path.substr(0, path.size() - PathFindExtension(path).size()));
}

std::string PathRemoveFileSpec(std::string_view path) {
  const size_t start = LastComponentStart(path);
  if (start == 0) {
    return path.size() >= 1 && path.front() == '/' ? std::string("/") : std::string();
  }
  if (start == 1) {
    return "/";
  }
  return std::string(path.substr(0, start - 1));
}
