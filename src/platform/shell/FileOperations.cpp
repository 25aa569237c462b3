#include "platform/shell/FileOperations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/PathHelpers.h"

namespace {

bool Fail(std::string* error, const char* action, const std::string& path, int err) {
  if (error) {
    *error = ErrnoMessage(action, path, err);
  }
  return false;
}

// Copies the whole of source into target; errno tells why when it fails.
bool CopyContents(int source, int target) {
  std::vector<char> buffer(256 * 1024);
  for (;;) {
    const ssize_t got = ReadAll(source, buffer.data(), buffer.size());
    if (got == 0) {
      return true;
    }
    if (got < 0) {
      return false;
    }
    if (!WriteAll(target, std::string_view(buffer.data(), static_cast<size_t>(got)))) {
      return false;
    }
  }
}

}  // namespace

bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries, std::string* error) {
  entries.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    return Fail(error, "Cannot list folder", folder, errno);
  }
  while (const dirent* entry = ::readdir(dir)) {
    DirectoryEntry item;
    item.name = entry->d_name;
    if (entry->d_type == DT_DIR) {
      item.isDirectory = true;
    } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat info;
      item.isDirectory = ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    entries.push_back(std::move(item));
  }
  ::closedir(dir);
  return true;
}

bool ReplaceFileAtomically(const std::string& target, unsigned mode, const std::function<bool(int fd)>& fill,
                           std::string* error) {
  const std::string folder = PathRemoveFileSpec(target);
  std::string partName = PathAppend(folder, "." + PathFindFileName(target) + ".part-XXXXXX");
  FileDescriptor part(::mkostemp(partName.data(), O_CLOEXEC));
  if (!part.IsValid()) {
    return Fail(error, "Cannot create a file beside", target, errno);
  }
  const bool written =
      ::fchmod(part.Get(), mode) == 0 && fill(part.Get()) && ::fsync(part.Get()) == 0 && part.Close() == 0;
  if (!written) {
    const int err = errno;
    ::unlink(partName.c_str());
    return Fail(error, "Cannot write", target, err);
  }
  if (::rename(partName.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(partName.c_str());
    return Fail(error, "Cannot replace", target, err);
  }
  // Make the rename itself durable; a failure here loses nothing already written.
  FileDescriptor folderFd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.IsValid()) {
    ::fsync(folderFd.Get());
  }
  return true;
}

bool CopyFile(const std::string& from, const std::string& to, std::string* error) {
  FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat sourceInfo;
  if (!source.IsValid() || ::fstat(source.Get(), &sourceInfo) != 0) {
    return Fail(error, "Cannot read", from, errno);
  }
  return ReplaceFileAtomically(
      to, sourceInfo.st_mode & 0777, [&](int fd) { return CopyContents(source.Get(), fd); }, error);
}

namespace {

// pread when an offset is given, read otherwise.
ssize_t ReadLoop(int fd, void* buffer, size_t length, const uint64_t* offset) {
  auto* bytes = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    const ssize_t got = offset ? ::pread(fd, bytes + done, length - done, static_cast<off_t>(*offset + done))
                               : ::read(fd, bytes + done, length - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

ssize_t ReadAll(int fd, void* buffer, size_t length) { return ReadLoop(fd, buffer, length, nullptr); }

ssize_t ReadAllAt(int fd, void* buffer, size_t length, uint64_t offset) {
  return ReadLoop(fd, buffer, length, &offset);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

namespace {

bool Rename(const std::string& from, const std::string& to, MoveMode mode) {
  const unsigned flags = mode == MoveMode::KeepExisting ? RENAME_NOREPLACE : 0;
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0;
}

}  // namespace

bool MoveFile(const std::string& from, const std::string& to, MoveMode mode, std::string* error) {
  if (Rename(from, to, mode)) return true;
  if (errno != EXDEV) {
    const int err = errno;
    Fail(error, "Cannot move the file to", to, err);
    errno = err;
    return false;
  }
  // Another file system: copy beside the target first, so the target appears complete or not at all.
  const std::string part = to + ".part";
  if (!CopyFile(from, part, error)) return false;
  if (!Rename(part, to, mode)) {
    const int err = errno;
    ::unlink(part.c_str());
    Fail(error, "Cannot move the file to", to, err);
    errno = err;
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

bool DeleteFile(const std::string& path, std::string* error) {
  return ::unlink(path.c_str()) == 0 || Fail(error, "Cannot delete", path, errno);
}

bool CreateDirectory(const std::string& path, std::string* error) {
  return ::mkdir(path.c_str(), 0777) == 0 || Fail(error, "Cannot create folder", path, errno);
}

bool CreateDirectoryPath(const std::string& path, unsigned mode, std::string* error) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode) || Fail(error, "Cannot create folder", path, ENOTDIR);
  }
  const std::string parent = PathRemoveFileSpec(path);
  if (!parent.empty() && parent != path && !CreateDirectoryPath(parent, mode, error)) {
    return false;
  }
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) {
    return Fail(error, "Cannot create folder", path, errno);
  }
  return true;
}

bool PathFileExists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}
