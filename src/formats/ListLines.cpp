#include "formats/ListLines.h"

#include <algorithm>

std::optional<int> LineOfValue(const std::vector<int>& values, int value) {
  const auto found = std::find(values.begin(), values.end(), value);
  if (found == values.end()) return std::nullopt;
  return static_cast<int>(found - values.begin());
}

int ValueOfLine(const std::vector<int>& values, std::optional<int> line, int unselected) {
  if (!line || *line < 0 || static_cast<size_t>(*line) >= values.size()) return unselected;
  return values[static_cast<size_t>(*line)];
}
