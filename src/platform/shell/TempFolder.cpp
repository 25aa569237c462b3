#include "platform/shell/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/PathHelpers.h"

namespace {

bool Refuse(std::string* error, const std::string& message) {
  if (error) {
    *error = message;
  }
  return false;
}

}  // namespace

bool GetTempFolder(std::string& folder, std::string* error) {
  folder.clear();
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string base = tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp";
  const std::string candidate = PathAppend(base, "corvox-" + std::to_string(::geteuid()));

  if (::mkdir(candidate.c_str(), 0700) != 0 && errno != EEXIST) {
    return Refuse(error, ErrnoMessage("Cannot create the temporary folder", candidate, errno));
  }
  struct stat info;
  if (::lstat(candidate.c_str(), &info) != 0) {
    return Refuse(error, ErrnoMessage("Cannot check the temporary folder", candidate, errno));
  }
  if (S_ISLNK(info.st_mode)) {
    return Refuse(error, "The temporary folder " + candidate + " is a link; refusing to use it.");
  }
  if (!S_ISDIR(info.st_mode)) {
    return Refuse(error, "The temporary folder " + candidate + " is not a folder; refusing to use it.");
  }
  if (info.st_uid != ::geteuid()) {
    return Refuse(error, "The temporary folder " + candidate + " belongs to another user; refusing to use it.");
  }
  if ((info.st_mode & 077) != 0 || (info.st_mode & 0700) != 0700) {
    return Refuse(error, "The temporary folder " + candidate +
                             " must have mode 0700 (private to its owner); refusing to use it.");
  }
  folder = candidate;
  return true;
}
