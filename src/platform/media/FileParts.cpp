#include "platform/media/FileParts.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"

std::string FilePartName(const std::string& first, int part) {
  return part <= 1 ? first : first + "." + std::to_string(part);
}

std::vector<std::string> ExistingFileParts(const std::string& first) {
  std::vector<std::string> parts;
  if (PathFileExists(first)) parts.push_back(first);
  std::vector<DirectoryEntry> entries;
  const std::string folder = PathRemoveFileSpec(first);
  if (!ListDirectory(folder.empty() ? "." : folder, entries)) return parts;

  const std::string prefix = PathFindFileName(first) + ".";
  std::vector<std::pair<int, std::string>> numbered;
  for (const DirectoryEntry& entry : entries) {
    if (entry.isDirectory || entry.name.size() <= prefix.size() || entry.name.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string digits = entry.name.substr(prefix.size());
    int part = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), part);
    // Only the names FilePartName makes: no sign, no leading zero, nothing after the number.
    if (error != std::errc() || end != digits.data() + digits.size() || part < 2 || digits[0] == '0') continue;
    numbered.emplace_back(part, FilePartName(first, part));
  }
  std::sort(numbered.begin(), numbered.end());
  for (auto& [part, name] : numbered) parts.push_back(std::move(name));
  return parts;
}
