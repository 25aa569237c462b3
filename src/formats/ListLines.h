#pragma once
// The lines of the format pages' numeric lists: a stored value selects the line showing it,
// and a line read back gives its value. Self-contained; any thread.

#include <optional>
#include <vector>

// The line equal to `value`; none when the list does not hold it.
std::optional<int> LineOfValue(const std::vector<int>& values, int value);
// The value of `line`; `unselected` when there is no line or it is out of the list.
int ValueOfLine(const std::vector<int>& values, std::optional<int> line, int unselected);
