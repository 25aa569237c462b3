#include "platform/shell/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The quoted value of a NAME="value" line, backslash escapes resolved; false when malformed.
bool UnquoteValue(std::string_view text, std::string& value) {
  if (text.empty() || text.front() != '"') {
    return false;
  }
  value.clear();
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      value += text[++i];
    } else if (text[i] == '"') {
      return text.substr(i + 1).find_first_not_of(" \t\r") == std::string_view::npos;
    } else {
      value += text[i];
    }
  }
  return false;
}

}  // namespace

std::string GetHomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) {
    return home;
  }
  long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(bufferSize > 0 ? static_cast<size_t>(bufferSize) : 16384);
  passwd entry;
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir) {
    return found->pw_dir;
  }
  return {};
}

std::string GetConfigFolder() {
  const std::string configHome = Environment("XDG_CONFIG_HOME");
  if (!configHome.empty() && configHome.front() == '/') {
    return configHome;
  }
  const std::string home = GetHomeFolder();
  return home.empty() ? std::string() : PathAppend(home, ".config");
}

std::string ParseUserDirsMusicFolder(std::string_view userDirsText, const std::string& home) {
  constexpr std::string_view kKey = "XDG_MUSIC_DIR=";
  std::string folder;
  std::istringstream lines{std::string(userDirsText)};
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, kKey.size(), kKey) != 0) {
      continue;
    }
    std::string value;
    if (!UnquoteValue(std::string_view(line).substr(start + kKey.size()), value)) {
      continue;
    }
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
      folder = home.empty() ? std::string() : PathAppend(home, value.substr(5));
    } else if (!value.empty() && value.front() == '/') {
      folder = value;
    }
  }
  return folder;
}

std::string GetMusicFolder() {
  const std::string home = GetHomeFolder();
  if (home.empty()) {
    return {};
  }
  std::string folder;
  std::ifstream userDirs(PathAppend(GetConfigFolder(), "user-dirs.dirs"), std::ios::binary);
  if (userDirs) {
    std::ostringstream text;
    text << userDirs.rdbuf();
    folder = ParseUserDirsMusicFolder(text.str(), home);
  }
  if (folder.empty()) {
    folder = PathAppend(home, "Music");
  }
  CreateDirectoryPath(folder, 0777);
  return folder;
}
