#include "platform/registry/RegistryTypes.h"

#include <algorithm>

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool RegistryNameLess::operator()(std::string_view left, std::string_view right) const {
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
    return static_cast<unsigned char>(FoldCase(a)) < static_cast<unsigned char>(FoldCase(b));
  });
}
